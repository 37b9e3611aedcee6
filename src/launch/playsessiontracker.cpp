#include "launch/playsessiontracker.h"
#include "launch/emulatorending.h"

#include "core/korvelloerror.h"
#include "launch/processidentity.h"
#include "store/playtimestore.h"

#include <QDateTime>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// A descriptor that becomes readable when the process ends; -1 when the
// kernel offers none (before Linux 5.3, or refused by a sandbox).
int openPidfd(qint64 pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
#else
    Q_UNUSED(pid);
    return -1;
#endif
}

constexpr int kPollIntervalMs = 1000;

PlaySessionTracker::Clocks& clocks() {
    static PlaySessionTracker::Clocks c;
    return c;
}

// Waits, in a child without an event loop, until the process ends: on its
// pidfd, or by looking for it once a second where there is none.
void waitForEnd(qint64 pid, const QString& identity) {
    const int pidfd = openPidfd(pid);
    if (pidfd >= 0 && processIdentity(pid) == identity) {
        pollfd p{pidfd, POLLIN, 0};
        while (::poll(&p, 1, -1) < 0 && errno == EINTR) {
        }
        ::close(pidfd);
        return;
    }
    if (pidfd >= 0)
        ::close(pidfd);
    while (processIdentity(pid) == identity)
        ::sleep(1);
}

} // namespace

void PlaySessionTracker::setClocks(Clocks c) {
    clocks() = std::move(c);
}

qint64 PlaySessionTracker::wallNowMs() {
    return clocks().wallMs ? clocks().wallMs() : QDateTime::currentMSecsSinceEpoch();
}

qint64 PlaySessionTracker::bootNowMs() {
    if (clocks().bootMs)
        return clocks().bootMs();
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

qint64 PlaySessionTracker::endedMs(const Watch& w) {
    // Without the process's start the end can only be the wall clock's now.
    return w.startedBootMs >= 0 ? w.startedMs + std::max<qint64>(0, bootNowMs() - w.startedBootMs)
                                : wallNowMs();
}

PlaySessionTracker::PlaySessionTracker(PlayTimeStore& store, QObject* parent)
    : QObject(parent), m_store(store) {}

PlaySessionTracker::~PlaySessionTracker() {
    // The sessions stay open in the store: the next run takes them up again.
    for (Watch& w : m_watches)
        release(w);
}

void PlaySessionTracker::gameStarted(const QString& game, qint64 pid) {
    const QString identity = processIdentity(pid);
    if (identity.isEmpty())
        return;
    Watch w;
    w.game = game;
    w.pid = pid;
    w.identity = identity;
    w.startedBootMs = processStartBootMs(identity);
    // The session starts with its process, a moment ago.
    w.startedMs =
        wallNowMs() - (w.startedBootMs >= 0 ? std::max<qint64>(0, bootNowMs() - w.startedBootMs) : 0);
    const qint64 id = m_store.openSession(game, pid, identity, w.startedMs);
    watch(id, std::move(w));
}

void PlaySessionTracker::resumeOpenSessions() {
    for (const PlaySession& s : m_store.openSessions()) {
        if (m_watches.contains(s.id))
            continue;
        if (processIdentity(s.pid) != s.process) {
            // Its process ended while nobody watched: when is unknown.
            m_store.dropSession(s.id);
            continue;
        }
        Watch w;
        w.game = s.game;
        w.pid = s.pid;
        w.identity = s.process;
        w.startedMs = s.started;
        w.startedBootMs = processStartBootMs(s.process);
        watch(s.id, std::move(w));
    }
}

void PlaySessionTracker::followDatabase(const QString& path) {
    delete m_databaseWatcher;
    m_databaseWatcher = new QFileSystemWatcher(this);
    m_databaseWatcher->addPath(path);
    connect(m_databaseWatcher, &QFileSystemWatcher::fileChanged, this, [this, path] {
        // A file replaced by rename is no longer watched: its successor is.
        if (!m_databaseWatcher->files().contains(path) && QFileInfo::exists(path))
            m_databaseWatcher->addPath(path);
        try {
            resumeOpenSessions();
        } catch (const KorvelloError& e) {
            emit failed(e.innermostText());
        }
    });
}

void PlaySessionTracker::detachWatches(const QString& databasePath) {
    for (auto it = m_watches.begin(); it != m_watches.end(); ++it) {
        Watch& w = *it;
        const qint64 sessionId = it.key();
        release(w);
        const pid_t child = ::fork();
        if (child != 0)
            continue; // the parent goes on; a failed fork leaves the session open
        // The child: no terminal, no pipes of the caller's kept open, its own session.
        ::setsid();
        const int null = ::open("/dev/null", O_RDWR);
        for (int fd = 0; fd <= 2; ++fd)
            ::dup2(null, fd);
        waitForEnd(w.pid, w.identity);
        const qint64 ended = endedMs(w);
        {
            PlayTimeStore store;
            store.setDatabasePath(databasePath);
            try {
                store.closeSession(sessionId, ended);
            } catch (const KorvelloError&) {
                // Nobody to tell: the session stays open, a window drops it later.
            }
        }
        ::_exit(0);
    }
    m_watches.clear();
}

void PlaySessionTracker::watch(qint64 sessionId, Watch w) {
    w.pidfd = openPidfd(w.pid);
    // The pid may have ended and been reused between the identity check and
    // the pidfd: the pidfd must name the very process that was checked.
    if (w.pidfd >= 0 && processIdentity(w.pid) != w.identity) {
        ::close(w.pidfd);
        w.pidfd = -1;
        m_watches.insert(sessionId, std::move(w));
        processEnded(sessionId);
        return;
    }
    if (w.pidfd >= 0) {
        w.notifier = new QSocketNotifier(w.pidfd, QSocketNotifier::Read, this);
        connect(w.notifier, &QSocketNotifier::activated, this,
                [this, sessionId] { processEnded(sessionId); });
    } else if (!m_poll) {
        m_poll = new QTimer(this);
        m_poll->setInterval(kPollIntervalMs);
        connect(m_poll, &QTimer::timeout, this, &PlaySessionTracker::pollProcesses);
    }
    m_watches.insert(sessionId, std::move(w));
    if (m_poll && !m_poll->isActive())
        m_poll->start();
}

void PlaySessionTracker::pollProcesses() {
    QList<qint64> ended;
    bool polled = false;
    for (auto it = m_watches.cbegin(); it != m_watches.cend(); ++it) {
        if (it->pidfd >= 0)
            continue;
        if (processIdentity(it->pid) != it->identity)
            ended.append(it.key());
        else
            polled = true;
    }
    if (!polled)
        m_poll->stop();
    for (const qint64 id : ended)
        processEnded(id);
}

void PlaySessionTracker::processEnded(qint64 sessionId) {
    auto it = m_watches.find(sessionId);
    if (it == m_watches.end())
        return;
    Watch w = std::move(*it);
    m_watches.erase(it);
    release(w);
    try {
        m_store.closeSession(sessionId, endedMs(w));
    } catch (const KorvelloError& e) {
        emit failed(e.innermostText());
        return;
    }
    emit sessionEnded();
}

void PlaySessionTracker::release(Watch& w) {
    delete w.notifier;
    w.notifier = nullptr;
    if (w.pidfd >= 0)
        ::close(w.pidfd);
    w.pidfd = -1;
}

QStringList PlaySessionTracker::runningGames() const {
    QStringList games;
    for (const Watch& w : m_watches)
        if (!games.contains(w.game) && processIdentity(w.pid) == w.identity)
            games.append(w.game);
    games.sort();
    return games;
}

bool PlaySessionTracker::endGame(const QString& game, const std::function<void()>& idle) {
    // Every process of the game at once, each asked to quit and given time to save.
    emulatorending::Ending ending;
    for (const Watch& w : std::as_const(m_watches)) {
        if (w.game != game || processIdentity(w.pid) != w.identity)
            continue;
        const emulatorending::Ending tree = emulatorending::ofTree(w.pid);
        ending.asked += tree.asked;
        ending.all += tree.all;
    }
    return emulatorending::endAndWait(ending, emulatorending::kQuitWaitMs, idle).forced;
}
