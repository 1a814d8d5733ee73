#include "ui/Language.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
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

std::unique_ptr<QTranslator> LoadTranslation(UiLanguage language, const QStringList& folders) {
    for (const QString& folder : folders) {
        if (auto translator = LoadTranslation(language, folder)) {
            return translator;
        }
    }
    return nullptr;
}

std::unique_ptr<QTranslator> LoadQtTranslation(UiLanguage language) {
    QLocale locale;
    switch (language) {
        case UiLanguage::Chinese:
            locale = QLocale(QLocale::Chinese, QLocale::China);
            break;
        case UiLanguage::Japanese:
            locale = QLocale(QLocale::Japanese, QLocale::Japan);
            break;
        case UiLanguage::English:
            return nullptr;
    }
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(locale,
                          QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator.get())) {
        return nullptr;
    }
    return translator;
}

}  // namespace tonavise::ui
