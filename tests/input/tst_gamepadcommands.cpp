// What the program makes of a pad's buttons, without a window or a device:
// the key repeat, the south and east buttons, and the unload combination.
#include "input/gamepadcommands.h"

#include <QElapsedTimer>
#include <QtTest>

using Button = GamepadReader::Button;
using Move = GamepadCommands::Move;

namespace {

// Every move with the time it came, from the start of the recording.
struct MoveLog {
    QElapsedTimer clock;
    QList<Move> moves;
    QList<qint64> times;

    explicit MoveLog(GamepadCommands& commands) {
        clock.start();
        QObject::connect(&commands, &GamepadCommands::moved, &commands, [this](Move m) {
            moves << m;
            times << clock.elapsed();
        });
    }
};

enum class HoldEnd { Release, Unplug, Forget };

} // namespace

Q_DECLARE_METATYPE(HoldEnd)

class TestGamepadCommands : public QObject {
    Q_OBJECT
private slots:
    void repeatsAfterADelay();
    void lastPressedRepeats();
    void buttonsOfTheGameList();
    void unloadCombination_data();
    void unloadCombination();
    void combinationNamedAfterTheFirstPad();
};

void TestGamepadCommands::repeatsAfterADelay() {
    GamepadCommands commands;
    commands.padConnected(1, QStringLiteral("pad"), QStringLiteral("Select+Start"));
    MoveLog log(commands);
    commands.buttonChanged(1, Button::Right, true);
    QCOMPARE(log.moves.size(), 1); // at the press, not a timer later
    QTest::qWait(1000);
    commands.buttonChanged(1, Button::Right, false);
    const int held = static_cast<int>(log.moves.size());
    // 400 ms, then every 80 ms: about 8 moves in a second; a busy machine may
    // fire timers late, never early.
    QVERIFY2(held >= 3 && held <= 9, qPrintable(QString::number(held)));
    QVERIFY2(log.times.at(1) - log.times.at(0) >= GamepadCommands::kRepeatDelayMs - 2,
             qPrintable(QString::number(log.times.at(1) - log.times.at(0))));
    for (int i = 2; i < held; ++i)
        QVERIFY2(log.times.at(i) - log.times.at(i - 1) >= GamepadCommands::kRepeatIntervalMs - 2,
                 qPrintable(QString::number(log.times.at(i) - log.times.at(i - 1))));
    QVERIFY(std::all_of(log.moves.cbegin(), log.moves.cend(), [](Move m) { return m == Move::Right; }));
    QTest::qWait(300);
    QCOMPARE(log.moves.size(), held); // released: no more
}

void TestGamepadCommands::lastPressedRepeats() {
    // As on a keyboard: the direction pressed last repeats, and letting it go
    // ends the repeat even while the first is still held.
    GamepadCommands commands;
    commands.padConnected(1, QStringLiteral("pad"), QStringLiteral("Select+Start"));
    MoveLog log(commands);
    commands.buttonChanged(1, Button::Right, true);
    commands.buttonChanged(1, Button::Down, true);
    QTest::qWait(GamepadCommands::kRepeatDelayMs + 3 * GamepadCommands::kRepeatIntervalMs);
    QCOMPARE(log.moves.first(), Move::Right);
    QVERIFY(log.moves.size() >= 3);
    QVERIFY(std::all_of(log.moves.cbegin() + 1, log.moves.cend(), [](Move m) { return m == Move::Down; }));
    commands.buttonChanged(1, Button::Down, false);
    const qsizetype count = log.moves.size();
    QTest::qWait(GamepadCommands::kRepeatDelayMs + 2 * GamepadCommands::kRepeatIntervalMs);
    QCOMPARE(log.moves.size(), count);

    // A pad unplugged with a direction held moves no further.
    commands.buttonChanged(1, Button::Left, true);
    commands.padDisconnected(1);
    QTest::qWait(GamepadCommands::kRepeatDelayMs + 2 * GamepadCommands::kRepeatIntervalMs);
    QCOMPARE(log.moves.size(), count + 1);
}

void TestGamepadCommands::buttonsOfTheGameList() {
    GamepadCommands commands;
    commands.padConnected(3, QStringLiteral("pad"), QStringLiteral("Select+Start"));
    MoveLog log(commands);
    QSignalSpy activated(&commands, &GamepadCommands::activated);
    QSignalSpy cancelled(&commands, &GamepadCommands::cancelled);
    QSignalSpy unload(&commands, &GamepadCommands::unloadRequested);
    const QList<std::pair<Button, Move>> moves = {{Button::Up, Move::Up},
                                                  {Button::Down, Move::Down},
                                                  {Button::Left, Move::Left},
                                                  {Button::Right, Move::Right},
                                                  {Button::LeftShoulder, Move::PageUp},
                                                  {Button::RightShoulder, Move::PageDown}};
    for (const auto& [button, move] : moves) {
        commands.buttonChanged(3, button, true);
        commands.buttonChanged(3, button, false);
        QCOMPARE(log.moves.last(), move);
    }
    QCOMPARE(log.moves.size(), moves.size());

    // South and east act once per press, however long they are held; the
    // other buttons, Back and Start alone included, do nothing.
    commands.buttonChanged(3, Button::South, true);
    commands.buttonChanged(3, Button::South, true); // a repeated report of the same state
    QTest::qWait(GamepadCommands::kRepeatDelayMs + 100);
    commands.buttonChanged(3, Button::South, false);
    commands.buttonChanged(3, Button::East, true);
    commands.buttonChanged(3, Button::East, false);
    for (Button other : {Button::West, Button::North, Button::Guide, Button::Back, Button::Start}) {
        commands.buttonChanged(3, other, true);
        commands.buttonChanged(3, other, false);
    }
    // A pad the program was never told of is nobody's.
    commands.buttonChanged(9, Button::South, true);
    QCOMPARE(activated.size(), 1);
    QCOMPARE(cancelled.size(), 1);
    QCOMPARE(log.moves.size(), moves.size());
    QCOMPARE(unload.size(), 0);
}

void TestGamepadCommands::unloadCombination_data() {
    QTest::addColumn<bool>("twoPads"); // Back on one pad, Start on another
    QTest::addColumn<int>("holdMs");
    QTest::addColumn<HoldEnd>("end");
    QTest::addColumn<int>("unloads");
    QTest::newRow("held a second") << false << 1300 << HoldEnd::Release << 1;
    QTest::newRow("held long: once") << false << 2600 << HoldEnd::Release << 1;
    QTest::newRow("short press") << false << 250 << HoldEnd::Release << 0;
    QTest::newRow("halves on two pads") << true << 1300 << HoldEnd::Release << 0;
    QTest::newRow("pad unplugged while held") << false << 250 << HoldEnd::Unplug << 0;
    QTest::newRow("reading stopped while held") << false << 250 << HoldEnd::Forget << 0;
}

void TestGamepadCommands::unloadCombination() {
    QFETCH(bool, twoPads);
    QFETCH(int, holdMs);
    QFETCH(HoldEnd, end);
    QFETCH(int, unloads);
    GamepadCommands commands;
    commands.padConnected(1, QStringLiteral("first"), QStringLiteral("Select+Start"));
    commands.padConnected(2, QStringLiteral("second"), QStringLiteral("Share+Options"));
    QElapsedTimer clock;
    QList<qint64> times;
    connect(&commands, &GamepadCommands::unloadRequested, this, [&] { times << clock.elapsed(); });

    commands.buttonChanged(1, Button::Back, true);
    clock.start();
    commands.buttonChanged(twoPads ? 2 : 1, Button::Start, true);
    QTest::qWait(holdMs);
    switch (end) {
    case HoldEnd::Release:
        commands.buttonChanged(1, Button::Back, false);
        break;
    case HoldEnd::Unplug:
        commands.padDisconnected(1);
        break;
    case HoldEnd::Forget:
        commands.forgetPads();
        break;
    }
    QTest::qWait(GamepadCommands::kUnloadHoldMs + 200);
    QCOMPARE(times.size(), unloads);
    if (unloads > 0)
        QVERIFY2(times.first() >= GamepadCommands::kUnloadHoldMs, qPrintable(QString::number(times.first())));

    if (end == HoldEnd::Release && !twoPads) {
        // Pressed again, the combination counts its second anew.
        commands.buttonChanged(1, Button::Back, true);
        QTest::qWait(GamepadCommands::kUnloadHoldMs + 300);
        QCOMPARE(times.size(), unloads + 1);
    }
}

void TestGamepadCommands::combinationNamedAfterTheFirstPad() {
    GamepadCommands commands;
    QSignalSpy changed(&commands, &GamepadCommands::padsChanged);
    QCOMPARE(commands.unloadCombination(), QString());
    commands.padConnected(7, QStringLiteral("DualShock 4"), QStringLiteral("Share+Options"));
    commands.padConnected(9, QStringLiteral("Xbox 360"), QStringLiteral("Back+Start"));
    QCOMPARE(commands.unloadCombination(), QStringLiteral("Share+Options"));
    QCOMPARE(commands.padCount(), 2);
    commands.padDisconnected(7);
    QCOMPARE(commands.unloadCombination(), QStringLiteral("Back+Start"));
    commands.padDisconnected(7); // gone already: no change
    commands.forgetPads();
    QCOMPARE(commands.unloadCombination(), QString());
    QCOMPARE(changed.size(), 4);
}

QTEST_GUILESS_MAIN(TestGamepadCommands)
#include "tst_gamepadcommands.moc"
