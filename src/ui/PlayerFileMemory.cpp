#include "ui/PlayerFileMemory.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

#include "ui/SettingsStore.h"

namespace tonavise::ui {

namespace {

// A settings key cannot hold a path (its slashes would make groups), so the key is a digest of
// the path and the size; the record repeats both, and a record that names another file is not
// taken.
QString KeyOf(const QString& path, qint64 size) {
    const QByteArray id = (path + QLatin1Char('\n') + QString::number(size)).toUtf8();
    return QStringLiteral("F") +
           QString::fromLatin1(
               QCryptographicHash::hash(id, QCryptographicHash::Sha1).toHex().left(16));
}

QJsonObject ReadRecord(const SettingsStore& settings, const QString& key) {
    const QString text = settings.ReadString(kSectionPlayerFiles, key, QString());
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

}  // namespace

FilePractice PlayerFileMemory::Recall(const QString& path, qint64 size) const {
    FilePractice practice;
    const QJsonObject record = ReadRecord(settings_, KeyOf(path, size));
    if (record.value(QStringLiteral("path")).toString() != path ||
        record.value(QStringLiteral("size")).toInteger(-1) != size) {
        return practice;
    }
    practice.speed = std::clamp(record.value(QStringLiteral("speed")).toInt(100), 50, 150);
    practice.transpose = std::clamp(record.value(QStringLiteral("transpose")).toInt(0), -12, 12);
    for (const QJsonValue v : record.value(QStringLiteral("loops")).toArray()) {
        const QJsonObject loop = v.toObject();
        SavedLoop saved{loop.value(QStringLiteral("name")).toString(),
                        loop.value(QStringLiteral("a")).toDouble(-1.0),
                        loop.value(QStringLiteral("b")).toDouble(-1.0)};
        if (saved.a >= 0.0 && saved.b > saved.a) {
            practice.loops.push_back(std::move(saved));
        }
    }
    return practice;
}

void PlayerFileMemory::Remember(const QString& path, qint64 size, const FilePractice& practice) {
    QJsonArray loops;
    for (const SavedLoop& loop : practice.loops) {
        loops.append(QJsonObject{{QStringLiteral("name"), loop.name},
                                 {QStringLiteral("a"), loop.a},
                                 {QStringLiteral("b"), loop.b}});
    }
    const QJsonObject record{{QStringLiteral("path"), path},
                             {QStringLiteral("size"), size},
                             {QStringLiteral("speed"), practice.speed},
                             {QStringLiteral("transpose"), practice.transpose},
                             {QStringLiteral("loops"), loops},
                             {QStringLiteral("used"), QDateTime::currentMSecsSinceEpoch()}};
    settings_.WriteString(kSectionPlayerFiles,
                          KeyOf(path, size),
                          QString::fromUtf8(QJsonDocument(record).toJson(QJsonDocument::Compact)));

    QStringList keys = settings_.Keys(kSectionPlayerFiles);
    if (keys.size() > kRememberedFiles) {
        std::vector<std::pair<qint64, QString>> byUse;
        for (const QString& key : keys) {
            byUse.emplace_back(
                ReadRecord(settings_, key).value(QStringLiteral("used")).toInteger(0), key);
        }
        std::sort(byUse.begin(), byUse.end());
        for (std::size_t i = 0; i + kRememberedFiles < byUse.size(); ++i) {
            settings_.Remove(kSectionPlayerFiles, byUse[i].second);
        }
    }
    settings_.Flush();
}

}  // namespace tonavise::ui
