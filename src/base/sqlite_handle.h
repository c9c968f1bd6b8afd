// SPDX-License-Identifier: GPL-3.0-or-later
// A thin owner of an SQLite connection and its prepared statements: each closes itself, and each
// failure comes back as the library's own words.
#pragma once

#include <cstdint>
#include <span>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace tavrin {

class Statement {
 public:
  Statement() = default;
  Statement(sqlite3* db, const char* sql);
  Statement(Statement&& other) noexcept;
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement();

  bool Valid() const { return stmt_ != nullptr; }
  // Binds by position, from 1.
  Statement& Bind(int at, int64_t value);
  Statement& Bind(int at, double value);
  Statement& Bind(int at, const std::string& text);
  Statement& Bind(int at, std::span<const uint8_t> blob);
  // True while a row is there; false when done or failed (Failed() tells which).
  bool Step();
  bool Failed() const { return failed_; }
  void Reset();
  int64_t Int(int column) const;
  double Real(int column) const;
  std::string Text(int column) const;
  std::span<const uint8_t> Blob(int column) const;

 private:
  sqlite3_stmt* stmt_ = nullptr;
  bool failed_ = false;
};

class Database {
 public:
  Database() = default;
  Database(Database&& other) noexcept;
  Database& operator=(Database&& other) noexcept;
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;
  ~Database();

  // How sure a commit is to survive a power cut: derived data can be made again and needs the
  // disk only at the journal's checkpoints; the user's own data reaches it at every commit. A
  // program that is killed loses nothing committed either way.
  enum class Durability { Checkpoints, EveryCommit };

  // Opens (making it when missing) the database file; another program may use it at once: the
  // journal is written ahead and a busy database is waited for a while.
  bool Open(const std::string& path, Durability durability = Durability::Checkpoints);
  // Opens the database file to be read only, as a file or folder the user may not write allows:
  // as immutable when its journal cannot be read otherwise (nobody can write there either).
  bool OpenReadOnly(const std::string& path);
  // The file is open, but the connection cannot write to it (its rights, its folder's).
  bool ReadOnly() const;
  void Close();
  bool IsOpen() const { return db_ != nullptr; }
  // Runs statements that return no rows; false with LastError() on failure.
  bool Exec(const char* sql);
  Statement Prepare(const char* sql) const { return Statement(db_, sql); }
  std::string LastError() const;
  // The last failure was another connection holding the database longer than the wait allows.
  bool LastFailureWasBusy() const;
  // The last failure was the file's contents: not a database, or a damaged one.
  bool LastFailureWasDamage() const;
  int64_t LastInsertId() const;

 private:
  // Keeps the library's words and code of a failed open before the handle is closed.
  void KeepOpenFailure();

  sqlite3* db_ = nullptr;
  std::string openError_;
  int openErrorCode_ = 0;
};

}  // namespace tavrin
