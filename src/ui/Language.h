// The language of the user interface: Chinese and Japanese from the system locale, English
// otherwise. Translations of menus, dialogs and texts are loaded from the program's folder; a
// missing translation leaves the English texts.
//
// Threads: user-interface thread only.
#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <memory>

#include "engine/core/UiLanguage.h"

class QTranslator;

namespace tonavise::ui {

UiLanguage LanguageOf(const QLocale& locale);

// The translation file's base name for a language ("tonavise_chn", "tonavise_jpn"); empty for
// English.
QString TranslationName(UiLanguage language);

// Loads folder/name.qm and installs it in the application. Null (English stays) when there is no
// name or the file cannot be loaded.
std::unique_ptr<QTranslator> LoadTranslation(UiLanguage language, const QString& folder);
// The same from the first of `folders` that holds it.
std::unique_ptr<QTranslator> LoadTranslation(UiLanguage language, const QStringList& folders);

// Qt's own texts in the language (the buttons of message boxes, the file dialogs), from the
// system's Qt translations; null for English or when the system has none.
std::unique_ptr<QTranslator> LoadQtTranslation(UiLanguage language);

}  // namespace tonavise::ui
