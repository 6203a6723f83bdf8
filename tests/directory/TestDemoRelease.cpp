#include "directory/CarnivalDirectory.h"
#include "directory/DemoRelease.h"
#include "mock/FakeWizardView.h"
#include "update/ReleaseRig.h"
#include "update/SigningKeyPair.h"
#include "update/UpdateWizardController.h"
#include "update/UpdateWizardLauncher.h"

#include <QTest>

using namespace ReleaseTest;
using namespace WizardControls;

namespace {
/// Writes a key folder as the build makes it: demo.key, the secret key's base64; demo.pub, the public
/// key's base64 (here optionally another pair's).
void writeKeyFolder(const QString& folder, const SigningKeyPair& secret, const SigningKeyPair& published)
{
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(writeFile(folder + "/demo.key", secret.secretKey.toBase64() + "\n"));
    QVERIFY(writeFile(folder + "/demo.pub", published.publicKey.toBase64() + "\n"));
}

FakeWizardView::Step click(const QString& control)
{
    return [control](FakeWizardView& view) { view.click(control); };
}
} // namespace

// The demo's own update, signed with the build's demo key and served by the local directory.
class TestDemoRelease final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(sodium_init() >= 0); }

    void installsOnceThroughTheSignedPath()
    {
        ReleaseRig rig;
        const SigningKeyPair demo = SigningKeyPair::fromSeed('d');
        writeKeyFolder(rig.path("demo-key"), demo, demo);
        CarnivalDirectory directory;
        QVERIFY(!directory.start().isEmpty());
        const DemoRelease::Published release =
            DemoRelease::publish(directory, rig.path("demo-updates"), rig.path("demo-key"));
        QCOMPARE(release.error, QString());
        QCOMPARE(release.publicKey, demo.publicKeyBase64());
        rig.engine->URL = release.controlFileUrl;
        rig.engine->UpdateKey = release.publicKey;
        QVERIFY(rig.engine->IsUpdatePending());

        std::shared_ptr<FakeWizardView> view;
        UpdateWizardLauncher wizard(*rig.engine, [&](UpdateWizardController& logic) {
            view = std::make_shared<FakeWizardView>(logic);
            view->steps = QQueue<FakeWizardView::Step>({click(GetUpdateButton), click(WhatsNewNextButton),
                                                        click(ComponentsNextButton), click(RestartButton)});
            return view;
        });
        wizard.showUpdateWizard();
        QCOMPARE(view->faults, QStringList());
        QCOMPARE(view->pages,
                 (QList<WizardPage>{WizardPage::Start, WizardPage::Version, WizardPage::WhatsNew,
                                    WizardPage::Components, WizardPage::Download, WizardPage::End}));
        QCOMPARE(view->lines(WhatsNewMemo).value(0), QString("Signed demo update"));
        QCOMPARE(rig.desktop.messages, QStringList());
        QVERIFY(readAll(rig.path("app/") + DemoRelease::kInstalledFile).startsWith("This file came with"));
        // Once there, the demo offers it no more.
        QVERIFY(!rig.engine->IsUpdatePending());
        QVERIFY(!rig.engine->ControlFileUnverified);
    }

    void aKeyOtherThanTheDemoKeyRefusesIt()
    {
        ReleaseRig rig;
        writeKeyFolder(rig.path("demo-key"), SigningKeyPair::fromSeed('d'), SigningKeyPair::fromSeed('x'));
        CarnivalDirectory directory;
        QVERIFY(!directory.start().isEmpty());
        const DemoRelease::Published release =
            DemoRelease::publish(directory, rig.path("demo-updates"), rig.path("demo-key"));
        rig.engine->URL = release.controlFileUrl;
        rig.engine->UpdateKey = release.publicKey;
        QVERIFY(!rig.engine->IsUpdatePending());
        QVERIFY(rig.engine->ControlFileUnverified);
    }

    void withoutTheBuildsKeyThereIsNoRelease()
    {
        QTemporaryDir root;
        CarnivalDirectory directory;
        QVERIFY(!directory.start().isEmpty());
        const DemoRelease::Published release =
            DemoRelease::publish(directory, root.filePath("demo-updates"), root.filePath("demo-key"));
        QVERIFY(release.controlFileUrl.isEmpty());
        QVERIFY(release.error.contains("no demo key"));
        QVERIFY(!QFileInfo::exists(root.filePath("demo-updates")));
    }
};

QTEST_GUILESS_MAIN(TestDemoRelease)
#include "TestDemoRelease.moc"
