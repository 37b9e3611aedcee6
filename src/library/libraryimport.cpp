#include "library/libraryimport.h"

#include "core/korvelloerror.h"
#include "disc/discidentity.h"
#include "emulatorsettings/configwriter.h"
#include "emulatorsettings/currentgeneration.h"
#include "emulatorsettings/currentprofilereader.h"
#include "emulatorsettings/pluginerareader.h"
#include "gamelist/artworkfiles.h"
#include "ini/inivalues.h"
#include "launch/currentbuild.h"
#include "launch/startlock.h"
#include "store/columntable.h"
#include "store/defaultprofile.h"
#include "store/encodings.h"
#include "store/gamediscstore.h"
#include "store/profilestore.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace {

QString discKey(const QString& serial, quint32 crc) {
    return serial.toUpper() + u'/' + QString::number(crc, 16);
}

QString canonical(const QString& path) {
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? QFileInfo(path).absoluteFilePath() : c;
}

// Names taken in the library and in this run, compared without letter case as table `db` compares them.
class NameBook {
public:
    explicit NameBook(const QStringList& names) {
        for (const QString& n : names)
            m_taken.insert(n.toLower());
    }
    bool isFree(const QString& name) const { return !m_taken.contains(name.toLower()); }
    // The name, or with the region, the serial or a number added when it is taken.
    QString unique(const QString& name, const QString& region, const QString& serial) {
        QStringList tries{name};
        if (!region.isEmpty())
            tries << QStringLiteral("%1 (%2)").arg(name, region);
        if (!serial.isEmpty())
            tries << QStringLiteral("%1 (%2)").arg(name, serial);
        for (const QString& t : tries)
            if (isFree(t))
                return take(t);
        for (int n = 2;; ++n)
            if (const QString t = QStringLiteral("%1 (%2)").arg(tries.last()).arg(n); isFree(t))
                return take(t);
    }

private:
    QString take(const QString& name) {
        m_taken.insert(name.toLower());
        return name;
    }
    QSet<QString> m_taken;
};

} // namespace

LibraryImport::LibraryImport(Options options) : m_options(std::move(options)) {}

QString LibraryImport::validName(const QString& title) {
    // Only what a profile's name may not hold changes (enc::IsValidProfileName): "/"
    // becomes "-", a control character (a tab, a line break) a blank; the ends are
    // trimmed. Everything else stays as the database or the file name gives it,
    // colons, quotes and wide spaces included.
    QString name = title;
    for (QChar& c : name) {
        if (c == u'/')
            c = u'-';
        else if (c.unicode() < 32 || c.unicode() == 127)
            c = u' ';
    }
    name = enc::trimmed(name);
    // A name too long for its artwork's file name is cut at a whole character.
    while (!name.isEmpty() && !enc::IsValidProfileName(name)) {
        name.chop(name.size() >= 2 && name.at(name.size() - 1).isLowSurrogate() ? 2 : 1);
        name = enc::trimmed(name);
    }
    // "." and ".." would name the Images folder's own entries in the artwork's paths.
    if (name == QStringLiteral(".") || name == QStringLiteral(".."))
        return {};
    return name;
}

QString LibraryImport::fileTitle(const QString& imagePath) {
    QString name = QFileInfo(imagePath).fileName();
    if (name.endsWith(QStringLiteral(".gz"), Qt::CaseInsensitive))
        name.chop(3);
    const int dot = name.lastIndexOf(u'.');
    if (dot > 0 && FolderScan::isImageName(name.mid(dot)))
        name.truncate(dot);
    return name;
}

LibraryImport::Summary LibraryImport::run(const QString& folder, const std::atomic_bool* cancel,
                                          const Progress& progress) {
    Summary summary;
    if (!QFileInfo(folder).isDir())
        throw KorvelloError(QStringLiteral("The folder %1 does not exist").arg(folder));
    auto cancelled = [cancel] { return cancel && cancel->load(); };

    // One addition at a time per library, in this copy of the program or another
    // (the window and --add-folder): the second waits, then finds the first's
    // games already there rather than storing the same discs under other names.
    std::optional<StartLock> oneAtATime;
    try {
        oneAtATime.emplace(
            QStringLiteral("library"), QFileInfo(m_options.databasePath).absolutePath(),
            [&] { return !cancelled(); },
            QStringLiteral("Another addition of games to this library is under way"));
    } catch (const KorvelloError&) {
        if (!cancelled())
            throw;
        summary.cancelled = true;
        return summary;
    }

    ProfileStore store;
    store.setDatabasePath(m_options.databasePath);
    // What the library has: names, images and discs.
    const QList<std::pair<QString, QString>> images = store.imagePaths();
    QStringList names;
    QHash<QString, QString> gameOfImage;
    for (const auto& [name, image] : images) {
        names << name;
        if (!image.isEmpty())
            gameOfImage.insert(canonical(image), name);
    }
    QHash<QString, QString> gameOfDisc;
    {
        GameDiscStore discs;
        discs.setDatabasePath(m_options.databasePath);
        for (const GameDisc& d : discs.all())
            gameOfDisc.insert(discKey(d.serial, d.crc), d.game);
    }
    NameBook book(names);

    // The current builds' PCSX2.ini lies under every game's own file: read once.
    std::optional<IniValues> currentSettings;
    CurrentGeneration currentGeneration{};
    QString currentDataFolder;
    if (!m_options.currentSettingsFolder.isEmpty()) {
        currentSettings = IniValues::fromFile(m_options.currentSettingsFolder + QStringLiteral("/PCSX2.ini"));
        currentGeneration = generationOf(*currentSettings);
        currentDataFolder = QDir::cleanPath(m_options.currentSettingsFolder + QStringLiteral("/.."));
    }
    // The plug-in era's files hold one set of values for every game: read once.
    std::optional<GameProfile> eraValues;
    if (!m_options.pluginEraSettingsFolder.isEmpty()) {
        eraValues = defaultprofile::make(QString(), QString(), m_options.executable, m_options.pluginFile);
        pluginera::readProfile(*eraValues, m_options.pluginEraSettingsFolder);
    }

    GameIndex index;
    if (!m_options.gameIndexPath.isEmpty()) {
        try {
            index = GameIndex::load(m_options.gameIndexPath);
        } catch (const KorvelloError& error) {
            summary.skipped.append({m_options.gameIndexPath, error.innermostText()});
        }
    }
    summary.gameIndexEntries = index.size();

    const FolderScan::Result found = FolderScan::scan(folder, cancel, [&](qint64 seen) {
        if (progress)
            progress(0, 0, QStringLiteral("%1 files looked at").arg(seen));
    });
    summary.skipped.append(found.skipped);
    if (found.cancelled) {
        summary.cancelled = true;
        return summary;
    }

    QList<GameProfile> batch;
    QList<GameDisc> batchDiscs;
    // False when the batch could not be stored: the work ends there, the batches before it stay.
    auto store_batch = [&] {
        if (batch.isEmpty())
            return true;
        try {
            store.addBatch(batch, GameDiscStore::insertStatements(batchDiscs));
        } catch (const KorvelloError& error) {
            summary.stoppedBy = error.innermostText();
            return false;
        }
        for (const GameProfile& p : batch)
            summary.added << p.value(col::gamename);
        batch.clear();
        batchDiscs.clear();
        return true;
    };

    // The emulator's own list identifies what the disc reader cannot read (CHD).
    const QString gameListCache = !m_options.gameListCache.isEmpty() ? m_options.gameListCache
                                  : !m_options.currentSettingsFolder.isEmpty()
                                      ? currentbuild::gameListCachePath(m_options.currentSettingsFolder)
                                      : QString();
    // Of two images of one disc the one kept is the one in the fewest folders below
    // the folder added, then the first by name: "MGS3.iso" rather than
    // "Misc/copy of MGS3.iso", whatever the order the folders were walked in.
    QStringList inOrder = found.images;
    std::stable_sort(inOrder.begin(), inOrder.end(), [](const QString& a, const QString& b) {
        const qsizetype depthA = a.count(u'/'), depthB = b.count(u'/');
        if (depthA != depthB)
            return depthA < depthB;
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    QHash<QString, QString> imageOfAdded; // game -> its image, for games added by this run
    const int total = int(inOrder.size());
    for (int i = 0; i < total; ++i) {
        if (cancelled()) {
            summary.cancelled = true;
            break;
        }
        const QString& image = inOrder[i];
        if (progress)
            progress(i, total, image);
        const QString path = canonical(image);
        if (const auto it = gameOfImage.constFind(path); it != gameOfImage.cend()) {
            summary.present.append({image, *it});
            continue;
        }
        disc::DiscIdentity id;
        try {
            id = disc::identify(image, gameListCache);
        } catch (const KorvelloError& error) {
            summary.failed.append({image, error.innermostText()});
            continue;
        }
        const QString key = discKey(id.serial, id.crc);
        if (const auto it = gameOfDisc.constFind(key); it != gameOfDisc.cend()) {
            const QString kept = imageOfAdded.value(*it);
            summary.present.append(
                {image, kept.isEmpty()
                            ? *it
                            : QStringLiteral("%1, added from %2").arg(*it, QFileInfo(kept).fileName())});
            continue;
        }
        const GameIndex::Entry* entry = index.lookup(id.serial);
        QString name = validName(entry && !entry->title.isEmpty() ? entry->title : fileTitle(image));
        // A name whose artwork files would be the shared fallback pictures is not a game's.
        if (name.isEmpty() || artworkfiles::isFallbackName(name))
            name = id.serial.isEmpty() ? QStringLiteral("Game") : id.serial;
        name = book.unique(name, entry ? entry->region : QString(), id.serial);

        batch.append(defaultprofile::make(name, QFileInfo(image).absoluteFilePath(), m_options.executable,
                                          m_options.pluginFile));
        if (eraValues) {
            for (const IniKey& key : kIniKeys)
                if (key.column >= 0 && key.column != col::PCSX2CurrentIso)
                    batch.last().setValue(key.column, eraValues->value(key.column));
        }
        if (currentSettings) {
            // Read back through the same table Start writes with, so that a Start
            // without edits leaves both files as they are.
            const QString gameFile =
                currentbuild::gameSettingsPath(currentDataFolder, id.serial, id.crc, currentGeneration);
            currentmapping::readProfile(batch.last(), *currentSettings, IniValues::fromFile(gameFile),
                                        currentGeneration);
        }
        GameDisc d;
        d.game = name;
        d.image = QFileInfo(image).absoluteFilePath();
        d.serial = id.serial;
        d.crc = id.crc;
        if (entry) {
            d.region = entry->region;
            d.compat = entry->compat;
        }
        batchDiscs.append(d);
        gameOfImage.insert(path, name);
        gameOfDisc.insert(key, name);
        imageOfAdded.insert(name, image);
        if (batch.size() >= m_options.batchSize && !store_batch())
            return summary;
    }
    // A cancel keeps every game already identified: each is complete.
    if (!store_batch())
        return summary;
    if (progress)
        progress(total, total, QString());
    return summary;
}

QString LibraryImport::summaryText(const Summary& s) {
    QStringList lines;
    lines << (s.cancelled ? QStringLiteral("Cancelled. Games added before the cancel are kept.") : QString());
    if (!s.stoppedBy.isEmpty())
        lines
            << QStringLiteral("The addition stopped: %1. The games added before are kept.").arg(s.stoppedBy);
    lines << QStringLiteral("Added: %1").arg(s.added.size());
    lines << QStringLiteral("Already in the library: %1").arg(s.present.size());
    lines << QStringLiteral("Not identified: %1").arg(s.failed.size());
    lines << QStringLiteral("Skipped: %1").arg(s.skipped.size());
    if (s.gameIndexEntries == 0)
        lines << QStringLiteral(
            "The emulator's game database (GameIndex.yaml) was not found: names come from the "
            "file names.");
    lines.removeAll(QString());
    constexpr int kListed = 20; // a box of reasons, not a log: the rest are counted
    auto listed = [&](const QString& heading, const QList<std::pair<QString, QString>>& items) {
        if (items.isEmpty())
            return;
        lines << QString() << heading;
        for (int i = 0; i < items.size() && i < kListed; ++i)
            lines << QStringLiteral("%1: %2").arg(QFileInfo(items[i].first).fileName(), items[i].second);
        if (items.size() > kListed)
            lines << QStringLiteral("... and %1 more").arg(items.size() - kListed);
    };
    // Which image was left out, and the game that has its disc (the one kept is found first:
    // a folder's files in name order, then its subfolders).
    listed(QStringLiteral("Already in the library (the game that has the disc; of two images of one disc, "
                          "the one in the fewest folders is added, then the first by name):"),
           s.present);
    listed(QStringLiteral("Not identified:"), s.failed);
    listed(QStringLiteral("Skipped:"), s.skipped);
    return lines.join(u'\n');
}
