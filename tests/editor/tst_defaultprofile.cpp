// The profile made without the page (a game added from a folder) is the one the
// page's Default button gives.
#include "editor/editorpage.h"
#include "editor/pathedit.h"
#include "editor/profilemapping.h"
#include "pagefixture.h"
#include "store/columntable.h"
#include "store/defaultprofile.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <cstdio>

class TstDefaultProfile : public QObject {
    Q_OBJECT
private slots:
    void matchesThePagesDefault();
};

void TstDefaultProfile::matchesThePagesDefault() {
    EditorPage page;
    pagefixture::fillLists(page, true);
    const QStringList pluginFiles{QStringLiteral("libGSdx-1.0.so"), QStringLiteral("libGSdx-sse4.so")};
    page.btnDefaultClick();
    page.txtGameName->setText(QStringLiteral("Game"));
    page.txtISOPath->setText(QStringLiteral("/discs/game.iso"));
    const GameProfile fromPage = profilemapping::collectForAdd(page, pluginFiles);
    const GameProfile made =
        defaultprofile::make(QStringLiteral("Game"), QStringLiteral("/discs/game.iso"),
                             fromPage.value(col::PCSX2ExeFile), fromPage.value(col::GSDXPluginFile));
    if (qEnvironmentVariableIsSet("KORVELLO_DUMP_DEFAULTS"))
        for (int p = 0; p < kColumnCount; ++p)
            std::printf("%d %s=\"%s\"\n", p, kColumns[p].name, qPrintable(fromPage.value(p)));
    for (int p = 0; p < kColumnCount; ++p)
        QVERIFY2(made.value(p) == fromPage.value(p),
                 qPrintable(QStringLiteral("%1: %2 instead of %3")
                                .arg(QLatin1String(kColumns[p].name), made.value(p), fromPage.value(p))));
}

QTEST_MAIN(TstDefaultProfile)
#include "tst_defaultprofile.moc"
