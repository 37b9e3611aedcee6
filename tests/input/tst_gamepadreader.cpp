// The SDL reader with a virtual pad: pads seen at start and plugged later, the
// buttons and the left stick as directions, unplugging, and one reader at a time.
#include "input/gamepadreader.h"
#include "input/virtualpad.h"

#include <QtTest>

using Button = GamepadReader::Button;

namespace {

// What the reader reported, in order, as received on this (the window's) thread.
class ReaderLog : public QObject {
public:
    QStringList events;
    QSet<int> pads;

    explicit ReaderLog(GamepadReader& reader) {
        connect(&reader, &GamepadReader::connected, this,
                [this](int pad, const QString& name, const QString& backStart) {
                    pads << pad;
                    events << QStringLiteral("connected %1 %2").arg(name, backStart);
                });
        connect(&reader, &GamepadReader::disconnected, this, [this](int pad) {
            pads.remove(pad);
            events << QStringLiteral("disconnected");
        });
        connect(&reader, &GamepadReader::buttonChanged, this, [this](int, Button button, bool down) {
            events << QStringLiteral("%1 %2").arg(
                QLatin1String(QMetaEnum::fromType<Button>().valueToKey(static_cast<int>(button))),
                down ? QStringLiteral("down") : QStringLiteral("up"));
        });
    }
    // The events since the last take.
    QStringList take() { return std::exchange(events, {}); }
    // Waits until as many events as expected have come, then takes them;
    // true when they are the expected ones (lastTaken() says what came).
    bool expect(const QStringList& expected) {
        if (!QTest::qWaitFor([&] { return events.size() >= expected.size(); }, 5000))
            qWarning("fewer events than expected");
        QTest::qWait(30); // one more reading, which must add nothing
        m_taken = take();
        return m_taken == expected;
    }
    QByteArray lastTaken() const { return m_taken.join(QStringLiteral(", ")).toUtf8(); }

private:
    QStringList m_taken;
};

const QString kConnected = QStringLiteral("connected Korvello test pad Select+Start");

} // namespace

class TestGamepadReader : public QObject {
    Q_OBJECT
private slots:
    void virtualPadIsAGameController();
    void buttonsAndStick();
    void plugLaterUnplugAndStop();
    void oneReaderAtATime();
    void backStartNames();
};

void TestGamepadReader::virtualPadIsAGameController() {
    // The tests rely on SDL mapping a virtual pad by its button and axis masks.
    VirtualPad pad;
    QVERIFY2(pad.plug(), qPrintable(pad.error()));
    QVERIFY(pad.isGameController());
}

void TestGamepadReader::buttonsAndStick() {
    VirtualPad pad;
    QVERIFY2(pad.plug(), qPrintable(pad.error()));
    GamepadReader reader;
    ReaderLog log(reader);
    QVERIFY(reader.start());
    // A pad present before reading starts is reported as connected.
    QVERIFY2(log.expect(QStringList{kConnected}), log.lastTaken());

    pad.tap(SDL_CONTROLLER_BUTTON_A);
    pad.tap(SDL_CONTROLLER_BUTTON_BACK);
    pad.tap(SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
    pad.tap(SDL_CONTROLLER_BUTTON_RIGHTSTICK); // not one the program uses
    QVERIFY2(log.expect(QStringList{"South down", "South up", "Back down", "Back up", "LeftShoulder down",
                                    "LeftShoulder up"}),
             log.lastTaken());

    // Past half its travel the stick pushes; it lets go only under a quarter.
    pad.setAxis(SDL_CONTROLLER_AXIS_LEFTX, 20000);
    QTest::qWait(60);
    pad.setAxis(SDL_CONTROLLER_AXIS_LEFTX, 12000);
    QTest::qWait(60);
    QCOMPARE(log.take(), QStringList{"Right down"});
    pad.setAxis(SDL_CONTROLLER_AXIS_LEFTX, 4000);
    QVERIFY2(log.expect(QStringList{"Right up"}), log.lastTaken());
    pad.setAxis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
    QVERIFY2(log.expect(QStringList{"Up down"}), log.lastTaken());
    // The d-pad and the stick hold one direction together: it is up once both let go.
    pad.setButton(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    QTest::qWait(60);
    pad.setAxis(SDL_CONTROLLER_AXIS_LEFTY, 0);
    QTest::qWait(60);
    QCOMPARE(log.take(), QStringList());
    pad.setButton(SDL_CONTROLLER_BUTTON_DPAD_UP, false);
    QVERIFY2(log.expect(QStringList{"Up up"}), log.lastTaken());
    pad.setAxis(SDL_CONTROLLER_AXIS_LEFTY, 32767);
    QVERIFY2(log.expect(QStringList{"Down down"}), log.lastTaken());
    pad.setAxis(SDL_CONTROLLER_AXIS_LEFTY, 0);
    // The right stick and the triggers move nothing.
    pad.setAxis(SDL_CONTROLLER_AXIS_RIGHTX, 32767);
    pad.setAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
    QVERIFY2(log.expect(QStringList{"Down up"}), log.lastTaken());
    QTest::qWait(100);
    QCOMPARE(log.take(), QStringList());
}

void TestGamepadReader::plugLaterUnplugAndStop() {
    VirtualPad pad;
    GamepadReader reader;
    ReaderLog log(reader);
    QVERIFY(reader.start());
    QTRY_VERIFY(reader.isReady());
    QTest::qWait(100);
    QCOMPARE(log.take(), QStringList()); // no pad: nothing to say

    QVERIFY2(pad.plug(), qPrintable(pad.error()));
    QVERIFY2(log.expect(QStringList{kConnected}), log.lastTaken());
    // Unplugged with a button held: the button comes up before the pad goes.
    pad.setButton(SDL_CONTROLLER_BUTTON_B, true);
    QVERIFY2(log.expect(QStringList{"East down"}), log.lastTaken());
    pad.unplug();
    QVERIFY2(log.expect(QStringList{"East up", "disconnected"}), log.lastTaken());

    // Plugged back, the pad works as before.
    QVERIFY2(pad.plug(), qPrintable(pad.error()));
    QVERIFY2(log.expect(QStringList{kConnected}), log.lastTaken());
    pad.tap(SDL_CONTROLLER_BUTTON_START);
    QVERIFY2(log.expect(QStringList{"Start down", "Start up"}), log.lastTaken());

    // Stopping reports the open pad as gone; a new start finds it again.
    reader.stop();
    QVERIFY(!reader.isRunning());
    QVERIFY2(log.expect(QStringList{"disconnected"}), log.lastTaken());
    QVERIFY(reader.start());
    QVERIFY2(log.expect(QStringList{kConnected}), log.lastTaken());
    pad.tap(SDL_CONTROLLER_BUTTON_X);
    QVERIFY2(log.expect(QStringList{"West down", "West up"}), log.lastTaken());
}

void TestGamepadReader::oneReaderAtATime() {
    // SDL's event queue is one per process: a second reader would steal events.
    GamepadReader first;
    GamepadReader second;
    QVERIFY(first.start());
    QVERIFY(!first.start());
    QVERIFY(!second.start());
    first.stop();
    QVERIFY(second.start());
    QTRY_VERIFY(second.isReady());
}

void TestGamepadReader::backStartNames() {
    QCOMPARE(GamepadReader::backStartName(SDL_CONTROLLER_TYPE_PS3), QStringLiteral("Select+Start"));
    QCOMPARE(GamepadReader::backStartName(SDL_CONTROLLER_TYPE_PS4), QStringLiteral("Share+Options"));
    QCOMPARE(GamepadReader::backStartName(SDL_CONTROLLER_TYPE_XBOX360), QStringLiteral("Back+Start"));
    QCOMPARE(GamepadReader::backStartName(SDL_CONTROLLER_TYPE_UNKNOWN), QStringLiteral("Select+Start"));
}

QTEST_GUILESS_MAIN(TestGamepadReader)
#include "tst_gamepadreader.moc"
