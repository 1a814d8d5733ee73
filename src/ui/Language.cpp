#include "Language.h"

#include <QCoreApplication>
#include <QDir>
#include <QTranslator>

namespace tonavise::ui {

UiLanguage LanguageOf(const QLocale& locale) {
    switch (locale.language()) {
        case QLocale::Chinese:
            return UiLanguage::Chinese;
        case QLocale::Japanese:
            return UiLanguage::Japanese;
        default:
            return UiLanguage::English;
    }
}

QString TranslationName(UiLanguage language) {
    switch (language) {
        case UiLanguage::Chinese:
            return QStringLiteral("tonavise_chn");
        case UiLanguage::Japanese:
            return QStringLiteral("tonavise_jpn");
        case UiLanguage::English:
            break;
    }
    return {};
}

std::unique_ptr<QTranslator> LoadTranslation(UiLanguage language, const QString& folder) {
    const QString name = TranslationName(language);
    if (name.isEmpty()) {
        return nullptr;
    }
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(name, folder) || !QCoreApplication::installTranslator(translator.get())) {
        return nullptr;
    }
    return translator;
}

}  // namespace tonavise::ui
