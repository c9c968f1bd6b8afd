// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/sqlite_handle.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>

namespace tavrin {

Statement::Statement(sqlite3* db, const char* sql) {
  if (db == nullptr || sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    failed_ = true;
  }
}

Statement::Statement(Statement&& other) noexcept
    : stmt_(std::exchange(other.stmt_, nullptr)), failed_(other.failed_) {}

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    sqlite3_finalize(stmt_);
    stmt_ = std::exchange(other.stmt_, nullptr);
    failed_ = other.failed_;
  }
  return *this;
}

Statement::~Statement() {
  sqlite3_finalize(stmt_);
}

Statement& Statement::Bind(int at, int64_t value) {
  if (stmt_ != nullptr) sqlite3_bind_int64(stmt_, at, value);
  return *this;
}

Statement& Statement::Bind(int at, double value) {
  if (stmt_ != nullptr) sqlite3_bind_double(stmt_, at, value);
  return *this;
}

Statement& Statement::Bind(int at, const std::string& text) {
  if (stmt_ != nullptr) {
    sqlite3_bind_text(stmt_, at, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  }
  return *this;
}

Statement& Statement::Bind(int at, std::span<const uint8_t> blob) {
  if (stmt_ != nullptr) {
    sqlite3_bind_blob(stmt_, at, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT);
  }
  return *this;
}

bool Statement::Step() {
  if (stmt_ == nullptr) return false;
  const int result = sqlite3_step(stmt_);
  if (result == SQLITE_ROW) return true;
  if (result != SQLITE_DONE) failed_ = true;
  return false;
}

void Statement::Reset() {
  if (stmt_ == nullptr) return;
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

int64_t Statement::Int(int column) const {
  return sqlite3_column_int64(stmt_, column);
}

double Statement::Real(int column) const {
  return sqlite3_column_double(stmt_, column);
}

std::string Statement::Text(int column) const {
  const auto* text = sqlite3_column_text(stmt_, column);
  return text == nullptr ? std::string()
                         : std::string(reinterpret_cast<const char*>(text),
                                       static_cast<size_t>(sqlite3_column_bytes(stmt_, column)));
}

std::span<const uint8_t> Statement::Blob(int column) const {
  const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(stmt_, column));
  return {data, data == nullptr ? 0 : static_cast<size_t>(sqlite3_column_bytes(stmt_, column))};
}

Database::Database(Database&& other) noexcept : db_(std::exchange(other.db_, nullptr)) {}

Database& Database::operator=(Database&& other) noexcept {
  if (this != &other) {
    Close();
    db_ = std::exchange(other.db_, nullptr);
  }
  return *this;
}

Database::~Database() {
  Close();
}

namespace {

constexpr int kBusyWaitMs = 5000;

// A path as an SQLite URI: the characters a URI gives a meaning are written as escapes.
std::string UriOfPath(const std::string& path, const char* query) {
  std::string uri = "file:";
  for (const char c : path) {
    if (c == '%' || c == '?' || c == '#') {
      char escape[4];
      std::snprintf(escape, sizeof escape, "%%%02X", static_cast<unsigned char>(c));
      uri += escape;
    } else {
      uri += c;
    }
  }
  return uri + query;
}

}  // namespace

void Database::KeepOpenFailure() {
  openError_ = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
  // The library's "unable to open database file" says nothing of why; the system's reason does
  // (a folder without write permission, a file of another user).
  const int system = db_ != nullptr ? sqlite3_system_errno(db_) : 0;
  if (system != 0) openError_ += std::string(": ") + std::strerror(system);
  openErrorCode_ = db_ != nullptr ? sqlite3_errcode(db_) : SQLITE_NOMEM;
  Close();  // a handle comes back even when the open failed
}

bool Database::Open(const std::string& path, Durability durability) {
  Close();
  // One connection is used by one thread at a time: the library need not lock for it.
  if (sqlite3_open_v2(path.c_str(), &db_,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                      nullptr) != SQLITE_OK) {
    KeepOpenFailure();
    return false;
  }
  sqlite3_busy_timeout(db_, kBusyWaitMs);
  // Turning a new database to WAL needs it alone for a moment, and the library does not wait for
  // that: a program that meets another one doing it tries again.
  for (int waited = 0; waited < kBusyWaitMs; waited += 10) {
    if (Exec("PRAGMA journal_mode=WAL")) {
      return Exec(durability == Durability::EveryCommit ? "PRAGMA synchronous=FULL"
                                                        : "PRAGMA synchronous=NORMAL");
    }
    if (!LastFailureWasBusy()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

bool Database::OpenReadOnly(const std::string& path) {
  // The library opens lazily: reading the schema's version is what finds the file unreadable.
  for (const char* query : {"?mode=ro", "?immutable=1"}) {
    Close();
    if (sqlite3_open_v2(UriOfPath(path, query).c_str(), &db_,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
      KeepOpenFailure();
      return false;
    }
    sqlite3_busy_timeout(db_, kBusyWaitMs);
    if (Exec("PRAGMA schema_version")) return true;
    if (LastFailureWasDamage()) return true;  // opened; the caller's check tells the damage
  }
  KeepOpenFailure();
  return false;
}

bool Database::ReadOnly() const {
  return db_ != nullptr && sqlite3_db_readonly(db_, "main") == 1;
}

void Database::Close() {
  if (db_ != nullptr) sqlite3_close_v2(db_);
  db_ = nullptr;
}

bool Database::Exec(const char* sql) {
  return db_ != nullptr && sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::string Database::LastError() const {
  if (db_ != nullptr) return sqlite3_errmsg(db_);
  return openError_.empty() ? std::string("the database is not open") : openError_;
}

bool Database::LastFailureWasBusy() const {
  const int code = db_ == nullptr ? SQLITE_OK : (sqlite3_errcode(db_) & 0xFF);
  return code == SQLITE_BUSY || code == SQLITE_LOCKED;
}

bool Database::LastFailureWasDamage() const {
  const int code = (db_ == nullptr ? openErrorCode_ : sqlite3_errcode(db_)) & 0xFF;
  return code == SQLITE_NOTADB || code == SQLITE_CORRUPT;
}

int64_t Database::LastInsertId() const {
  return db_ == nullptr ? 0 : sqlite3_last_insert_rowid(db_);
}

}  // namespace tavrin
