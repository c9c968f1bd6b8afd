// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/common/languages.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>
#include <string>
#include <string_view>

namespace tavrin::gui {
namespace {

// The program's translation. The classes live in tavrin::gui, which tr() puts in front of its
// context, but the translation tools read the nested namespace as no namespace and file the
// texts under the class name alone: the lookup takes that name too.
class ProgramTranslator : public QTranslator {
 public:
  QString translate(const char* context, const char* sourceText, const char* disambiguation,
                    int n) const override {
    constexpr std::string_view kNamespace = "tavrin::gui::";
    std::string_view name = context != nullptr ? context : "";
    if (name.starts_with(kNamespace)) name.remove_prefix(kNamespace.size());
    const std::string bare(name);
    return QTranslator::translate(bare.c_str(), sourceText, disambiguation, n);
  }
};

struct Translators {
  std::unique_ptr<QTranslator> program;
  std::unique_ptr<QTranslator> qt;
  Language language = Language::English;
};

Translators& Installed() {
  static Translators installed;
  return installed;
}

void Remove(std::unique_ptr<QTranslator>& translator) {
  if (translator) QCoreApplication::removeTranslator(translator.get());
  translator.reset();
}

template <typename Kind = QTranslator>
std::unique_ptr<QTranslator> Loaded(const QString& name, const QString& folder) {
  std::unique_ptr<QTranslator> translator = std::make_unique<Kind>();
  if (!translator->load(name, folder)) return nullptr;
  QCoreApplication::installTranslator(translator.get());
  return translator;
}

}  // namespace

Language DesktopLanguage() {
  return QLocale::system().language() == QLocale::Korean ? Language::Korean : Language::English;
}

Language LanguageOf(int storedIndex) {
  switch (storedIndex) {
    case static_cast<int>(Language::English):
      return Language::English;
    case static_cast<int>(Language::Korean):
      return Language::Korean;
    default:
      return DesktopLanguage();
  }
}

bool UseLanguage(Language language) {
  Translators& installed = Installed();
  Remove(installed.program);
  Remove(installed.qt);
  installed.language = Language::English;
  QLocale::setDefault(QLocale::system());
  if (language == Language::English) return true;
  installed.program =
      Loaded<ProgramTranslator>(QStringLiteral("tavrin-lite_ko"), QStringLiteral(":/i18n"));
  if (!installed.program) return false;
  // Qt's own words (the buttons of its boxes, the file dialogs) from the system's Qt; without
  // them those stay English, which is no reason to refuse the program's own.
  installed.qt =
      Loaded(QStringLiteral("qt_ko"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  installed.language = language;
  // Month and day names in dates and calendars follow the words.
  QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
  return true;
}

Language LanguageInUse() {
  return Installed().language;
}

}  // namespace tavrin::gui
