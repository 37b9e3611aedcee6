// The unload key on a Wayland session: the program binds it through the
// desktop portal's global shortcuts. A private session bus (dbus-daemon) and a
// stand-in portal (helpers/fakeportal.cpp) play the desktop; the window runs
// offscreen with WAYLAND_DISPLAY set, as on a Wayland desktop.
#include "app/mainwindow.h"
#include "app/programsettings.h"
#include "desktop/unloadkey.h"
#include "emulatorrun.h"
#include "gamelist/gamelistview.h"
#include "store/columntable.h"
#include "store/gameprofile.h"
#include "store/profilestore.h"
#include "support/dialogrecorder.h"
#include "support/testfolder.h"
#include "support/windowparts.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

namespace {

const QString kGame = QStringLiteral("Portal of the Test");
const QString kHint = QStringLiteral("Press Ctrl+Alt+U to unload PCSX2");
const QString kNotice = QStringLiteral("Unload key unavailable on this desktop");

struct EmulatorFolder {
    TestFolder folder;
    QString exeName = emulatorrun::uniqueName(QStringLiteral("portal"));
    QString exePath = emulatorrun::install(folder.path(), exeName);

    EmulatorFolder() {
        GameProfile p = emulatorrun::fixtureProfile();
        p.setValue(col::gamename, kGame);
        p.setValue(col::PCSX2ExeFile, exeName);
        ProfileStore store;
        store.setDatabasePath(folder.file(QStringLiteral("db.mdb")));
        store.add(p);
    }
};

} // namespace

class TestUnloadPortal : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void withoutPortalTheNoticeShows();
    void bindsTheShortcut();
    void activatedEndsTheEmulator();
    void triggerChosenByTheUserIsShown();
    void refusedBindingLeavesTheProgramWorking();
    void closingTheWindowClosesTheSession();

private:
    void startPortal(const QString& mode = QStringLiteral("accept"), const QString& trigger = {});
    void stopPortal();
    QDBusMessage control(const QString& method, const QVariantList& args = {});
    QVariantMap record();

    QProcess m_bus;
    QProcess m_portal;
    QString m_address;
};

void TestUnloadPortal::initTestCase() {
    m_bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                QStringLiteral("--print-address=1")});
    QVERIFY2(m_bus.waitForStarted(), "dbus-daemon did not start");
    QTRY_VERIFY_WITH_TIMEOUT(m_bus.canReadLine(), 5000);
    m_address = QString::fromLocal8Bit(m_bus.readLine()).trimmed();
    QVERIFY(!m_address.isEmpty());
    // Read by Qt when the program first uses the session bus.
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toLocal8Bit());
    qputenv("WAYLAND_DISPLAY", "wayland-korvello-test");
}

void TestUnloadPortal::cleanupTestCase() {
    stopPortal();
    m_bus.kill(); // ended by its pid, as the test started it
    m_bus.waitForFinished();
}

void TestUnloadPortal::init() {
    testsupport::removeProgramSettings();
    // These starts need no disc image: "Run CDVD after start" off, as the user can set it.
    ProgramSettings().writeInt(QStringLiteral("Run"), 0);
}

void TestUnloadPortal::cleanup() {
    stopPortal();
}

void TestUnloadPortal::startPortal(const QString& mode, const QString& trigger) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
    m_portal.setProcessEnvironment(env);
    m_portal.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_portal.start(QStringLiteral(KORVELLO_FAKE_PORTAL), {});
    QVERIFY(m_portal.waitForStarted());
    QDBusConnection bus = QDBusConnection::sessionBus();
    QTRY_VERIFY_WITH_TIMEOUT(
        bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.portal.Desktop")), 5000);
    const QDBusMessage reply = control(QStringLiteral("Configure"), {mode, trigger});
    QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
}

void TestUnloadPortal::stopPortal() {
    if (m_portal.state() == QProcess::NotRunning)
        return;
    m_portal.kill();
    m_portal.waitForFinished();
    QDBusConnection bus = QDBusConnection::sessionBus();
    QTRY_VERIFY_WITH_TIMEOUT(
        !bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.portal.Desktop")), 5000);
}

QDBusMessage TestUnloadPortal::control(const QString& method, const QVariantList& args) {
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.portal.Desktop"),
                                                       QStringLiteral("/control"),
                                                       QStringLiteral("org.korvello.FakePortal"), method);
    call.setArguments(args);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
}

QVariantMap TestUnloadPortal::record() {
    const QDBusMessage reply = control(QStringLiteral("Record"));
    return qdbus_cast<QVariantMap>(reply.arguments().value(0));
}

void TestUnloadPortal::withoutPortalTheNoticeShows() {
    DialogRecorder dialogs;
    EmulatorFolder f;
    MainWindow w(f.folder.path());
    w.show();
    QVERIFY(!parts(w).unloadKey->isGrabbed());
    QVERIFY(parts(w).unloadKey->isUnavailable());
    QCOMPARE(parts(w).unloadKeyLabel->text(), kHint);
    QCOMPARE(parts(w).unloadKeyLabel->toolTip(), kNotice);
    QCOMPARE(parts(w).gameGrid->count(), 1);
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
}

void TestUnloadPortal::bindsTheShortcut() {
    startPortal();
    DialogRecorder dialogs;
    EmulatorFolder f;
    MainWindow w(f.folder.path());
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(parts(w).unloadKey->isGrabbed(), 5000);
    const QVariantMap r = record();
    QCOMPARE(r.value(QStringLiteral("id")).toString(), QStringLiteral("unload-emulator"));
    QCOMPARE(r.value(QStringLiteral("description")).toString(), QStringLiteral("Unload the emulator"));
    QCOMPARE(r.value(QStringLiteral("preferred_trigger")).toString(), QStringLiteral("CTRL+ALT+u"));
    QCOMPARE(r.value(QStringLiteral("bound_session")).toString(),
             r.value(QStringLiteral("session")).toString());
    QCOMPARE(r.value(QStringLiteral("sessions")).toInt(), 1);
    QCOMPARE(parts(w).unloadKeyLabel->text(), kHint);
    QCOMPARE(parts(w).unloadKeyLabel->toolTip(), QString());
    QVERIFY(dialogs.messageTexts().isEmpty());
}

void TestUnloadPortal::activatedEndsTheEmulator() {
    startPortal();
    DialogRecorder dialogs;
    emulatorrun::Reaper reaper;
    EmulatorFolder f;
    MainWindow w(f.folder.path());
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(parts(w).unloadKey->isGrabbed(), 5000);

    // The game started by Start is the one the key ends.
    parts(w).startButton->click();
    const std::optional<emulatorrun::Record> started = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(started);
    reaper.add(started->pid);
    QVERIFY(emulatorrun::isAlive(started->pid));
    QCOMPARE(control(QStringLiteral("Activate")).type(), QDBusMessage::ReplyMessage);
    QTRY_VERIFY_WITH_TIMEOUT(!emulatorrun::isAlive(started->pid), 5000);
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
}

void TestUnloadPortal::triggerChosenByTheUserIsShown() {
    startPortal(QStringLiteral("accept"), QStringLiteral("Ctrl+Shift+F12"));
    DialogRecorder dialogs;
    EmulatorFolder f;
    MainWindow w(f.folder.path());
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(parts(w).unloadKey->isGrabbed(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(parts(w).unloadKeyLabel->text(),
                              QStringLiteral("Press Ctrl+Shift+F12 to unload PCSX2"), 2000);
    QCOMPARE(parts(w).unloadKeyLabel->toolTip(), QString());
}

void TestUnloadPortal::refusedBindingLeavesTheProgramWorking() {
    startPortal(QStringLiteral("refuse"));
    DialogRecorder dialogs;
    EmulatorFolder f;
    MainWindow w(f.folder.path());
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(parts(w).unloadKey->isUnavailable(), 5000);
    QVERIFY(!parts(w).unloadKey->isGrabbed());
    QCOMPARE(parts(w).unloadKeyLabel->toolTip(), kNotice);
    QCOMPARE(parts(w).unloadKeyLabel->text(), kHint);
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.messageTexts().join(u'|')));
    // The rest of the program goes on: the game list is there and Start works.
    QCOMPARE(parts(w).gameGrid->count(), 1);
    emulatorrun::Reaper reaper;
    parts(w).startButton->click();
    const std::optional<emulatorrun::Record> started = emulatorrun::waitForRecord(f.exePath);
    QVERIFY(started);
    reaper.add(started->pid);
}

void TestUnloadPortal::closingTheWindowClosesTheSession() {
    startPortal();
    DialogRecorder dialogs;
    EmulatorFolder f;
    MainWindow w(f.folder.path());
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(parts(w).unloadKey->isGrabbed(), 5000);
    QVERIFY(!record().value(QStringLiteral("closed")).toBool());
    w.close();
    QVERIFY(!parts(w).unloadKey->isGrabbed());
    QTRY_VERIFY_WITH_TIMEOUT(record().value(QStringLiteral("closed")).toBool(), 5000);
}

QTEST_MAIN(TestUnloadPortal)
#include "tst_unloadportal.moc"
