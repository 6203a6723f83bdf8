// Signed updates: with the publisher's key set, nothing of a release is installed or run unless its
// control file carries the publisher's signature and every file matches the digest it names.

#include "ReleaseRig.h"
#include "SigningKeyPair.h"
#include "mock/FakeWizardView.h"
#include "update/ReleaseInstaller.h"
#include "update/UpdateWizardController.h"
#include "update/UpdateWizardLauncher.h"

#include <QCryptographicHash>
#include <QTest>

using namespace ReleaseTest;
using namespace WizardControls;

namespace {
const QByteArray kProgram = "#!/bin/sh\necho new\n";
const QByteArray kLists(3000, 'l');
const QByteArray kNotes = "Faster lists\n";
const QString kNotVerified =
    QStringLiteral("The update information could not be verified. Nothing was installed.");
const QString kFailed = QStringLiteral("Failed to download updates");
const QString kSignature = QStringLiteral("/21214/updates/x.inf.sig");

QByteArray sha256(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

/// The same bytes with one of them changed.
QByteArray oneByteChanged(QByteArray bytes)
{
    bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 1);
    return bytes;
}

QStringList pathsOf(const QList<LocalHttpServer::Request>& requests)
{
    QStringList paths;
    for (const LocalHttpServer::Request& request : requests)
        paths.append(QString::fromUtf8(request.path));
    return paths;
}

FakeWizardView::Step click(const QString& control)
{
    return [control](FakeWizardView& view) { view.click(control); };
}

/// The engine with the wizard over a fake dialog, a publisher, and two actions that leave a marker
/// file each when they run.
struct SignedRig : ReleaseRig
{
    SigningKeyPair publisher = SigningKeyPair::fromSeed('p');
    SigningKeyPair stranger = SigningKeyPair::fromSeed('s');
    std::shared_ptr<FakeWizardView> view;
    UpdateWizardLauncher wizard{*engine, [this](UpdateWizardController& logic) {
                                    view = std::make_shared<FakeWizardView>(logic);
                                    view->steps = QQueue<FakeWizardView::Step>(
                                        {click(GetUpdateButton), click(WhatsNewNextButton),
                                         click(ComponentsNextButton), click(RestartButton)});
                                    return view;
                                }};

    SignedRig()
    {
        QDir(root.path()).mkdir(QStringLiteral("markers"));
        for (const char* action : {"before", "after"})
            writeMarkerScript(QString::fromLatin1(action));
    }

    void writeMarkerScript(const QString& action)
    {
        const QString script = path(QStringLiteral("mark-") + action);
        QVERIFY(writeFile(script, ("#!/bin/sh\ntouch '" + path("markers/" + action) + "'\n").toUtf8()));
        QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    /// The release: notes, the program (an application component), the carnival lists, and an action
    /// before and after the downloads; each file with its digest unless named in withoutDigest.
    QByteArray release(const QString& withoutDigest = {}) const
    {
        const auto digest = [&](const QString& name, const QByteArray& bytes) {
            return name == withoutDigest ? QString() : "sha256=" + QString::fromLatin1(sha256(bytes)) + "\n";
        };
        return controlBytes(
            "[update]\nunconditional=1\n"
            "[application]\nappupdate=1\nappname=vorlix-pro\nappcomps=vorlix-pro\nsilentrestart=1\n"
            "[action]\nrunbefore=" +
            path("mark-before") + "\nrunafter=" + path("mark-after") + "\n[whatsnew]\nfile=@URL@notes.txt\n" +
            digest("notes.txt", kNotes) +
            "[files]\ncount=2\n"
            "[file1]\nurl=@URL@vorlix-pro\ndescr=Program\n" +
            digest("vorlix-pro", kProgram) +
            "[file2]\nurl=@URL@lists.dat\ndescr=Carnival lists\ntargetdir={APP}/data\n" +
            digest("lists.dat", kLists));
    }

    QStringList markers() const { return QDir(path("markers")).entryList(QDir::Files, QDir::Name); }
    bool inTemp(const QString& name) const { return QFile::exists(path("tmp/") + name); }
};
} // namespace

class TestSignedUpdates final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(sodium_init() >= 0); }

    // One release, delivered whole or changed on its way: it installs, or its control file is
    // refused before anything of it is acted on, or a file of it is refused at its download.
    void aReleaseInstallsOnlyAsSigned_data()
    {
        QTest::addColumn<QString>("key");           // "publisher", or the key text as given
        QTest::addColumn<QString>("signature");     // by "publisher" or "stranger", or the text served
        QTest::addColumn<bool>("controlChanged");   // one byte of the control file changed after signing
        QTest::addColumn<QString>("fileChanged");   // a file served with one byte changed
        QTest::addColumn<QString>("withoutDigest"); // a file whose section names no digest
        QTest::addColumn<bool>("pending");          // what the start-up check says
        QTest::addColumn<QList<WizardPage>>("pages");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("placed"); // under the application's folder
        QTest::addColumn<bool>("updaterStarted");
        QTest::addColumn<QStringList>("markers");

        const QList<WizardPage> installed{WizardPage::Start,      WizardPage::Version,  WizardPage::WhatsNew,
                                          WizardPage::Components, WizardPage::Download, WizardPage::End};
        const QList<WizardPage> downloadFailed{WizardPage::Start, WizardPage::Version, WizardPage::WhatsNew,
                                               WizardPage::Components, WizardPage::Download};
        const QList<WizardPage> refused{WizardPage::Start, WizardPage::Version};
        const QStringList both{"after", "before"};
        const QStringList lists{"data/lists.dat"};

        QTest::newRow("signed by the publisher")
            << "publisher"
            << "publisher" << false << ""
            << "" << true << installed << QStringList() << lists << true << both;
        QTest::newRow("no key, no signature: as before")
            << ""
            << "" << false << ""
            << "" << true << installed << QStringList() << lists << true << both;
        QTest::newRow("no key: digests are not checked")
            << ""
            << "" << false << "lists.dat"
            << "" << true << installed << QStringList() << lists << true << both;

        QTest::newRow("control file changed after signing")
            << "publisher"
            << "publisher" << true << ""
            << "" << false << refused << QStringList() << QStringList() << false << QStringList();
        QTest::newRow("signature missing")
            << "publisher"
            << "" << false << ""
            << "" << false << refused << QStringList() << QStringList() << false << QStringList();
        QTest::newRow("signature malformed")
            << "publisher"
            << "not a signature!" << false << ""
            << "" << false << refused << QStringList() << QStringList() << false << QStringList();
        QTest::newRow("signature cut short")
            << "publisher"
            << "AAAA" << false << ""
            << "" << false << refused << QStringList() << QStringList() << false << QStringList();
        QTest::newRow("signed by another key")
            << "publisher"
            << "stranger" << false << ""
            << "" << false << refused << QStringList() << QStringList() << false << QStringList();
        QTest::newRow("a key that is no key refuses everything")
            << "not a key"
            << "publisher" << false << ""
            << "" << false << refused << QStringList() << QStringList() << false << QStringList();

        // The signed control file's own action before the downloads runs; nothing after them.
        QTest::newRow("a file differs from its digest")
            << "publisher"
            << "publisher" << false << "lists.dat"
            << "" << true << downloadFailed << QStringList{kFailed} << QStringList() << false
            << QStringList{"before"};
        QTest::newRow("a file names no digest")
            << "publisher"
            << "publisher" << false << ""
            << "lists.dat" << true << downloadFailed << QStringList{kFailed} << QStringList() << false
            << QStringList{"before"};
        QTest::newRow("the program differs from its digest")
            << "publisher"
            << "publisher" << false << "vorlix-pro"
            << "" << true << downloadFailed << QStringList{kFailed} << lists << false
            << QStringList{"before"};
    }

    void aReleaseInstallsOnlyAsSigned()
    {
        QFETCH(QString, key);
        QFETCH(QString, signature);
        QFETCH(bool, controlChanged);
        QFETCH(QString, fileChanged);
        QFETCH(QString, withoutDigest);
        QFETCH(bool, pending);
        QFETCH(QList<WizardPage>, pages);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, placed);
        QFETCH(bool, updaterStarted);
        QFETCH(QStringList, markers);

        SignedRig rig;
        rig.engine->UpdateKey = key == "publisher" ? rig.publisher.publicKeyBase64() : key;
        const QByteArray control = rig.release(withoutDigest);
        rig.serve("x.inf", controlChanged ? oneByteChanged(control) : control);
        if (signature == "publisher" || signature == "stranger")
            rig.serve("x.inf.sig",
                      (signature == "publisher" ? rig.publisher : rig.stranger).signatureBase64(control));
        else if (!signature.isEmpty())
            rig.serve("x.inf.sig", signature.toUtf8());
        const QList<std::pair<QString, QByteArray>> files{
            {"notes.txt", kNotes}, {"vorlix-pro", kProgram}, {"lists.dat", kLists}};
        for (const auto& [name, bytes] : files)
            rig.serve(name, name == fileChanged ? oneByteChanged(bytes) : bytes);

        // The start-up check shows nothing either way and leaves nothing behind.
        QCOMPARE(rig.engine->IsUpdatePending(), pending);
        QCOMPARE(rig.desktop.messages, QStringList());
        QVERIFY(!rig.inTemp("x.inf") && !rig.inTemp("x.inf.sig"));
        const qsizetype checked = rig.server.requests().size();

        rig.wizard.showUpdateWizard();
        FakeWizardView& view = *rig.view;
        QCOMPARE(view.faults, QStringList());
        QCOMPARE(view.pages, pages);
        // The restart ends the application instead of closing the dialog.
        QCOMPARE(view.closed, !updaterStarted);
        QCOMPARE(rig.desktop.messages, messages);
        QCOMPARE(rig.requested().contains(kSignature), !key.isEmpty());
        if (!pending) {
            QCOMPARE(view.text(VersionInfoLabel), kNotVerified);
            QCOMPARE(view.text(GetUpdateButton), QString("Exit"));
            // Nothing named in the refused control file was fetched.
            QCOMPARE(pathsOf(rig.server.requests().mid(checked)),
                     (QStringList{"/21214/updates/x.inf", kSignature}));
        }

        QStringList inPlace;
        for (const QString& name : {QString("data/lists.dat"), QString("vorlix-pro")})
            if (QFile::exists(rig.path("app/") + name))
                inPlace.append(name);
        QCOMPARE(inPlace, placed);
        QCOMPARE(rig.startedUpdaters.size(), updaterStarted ? 1 : 0);
        QCOMPARE(rig.terminations, updaterStarted ? 1 : 0);
        // A refused file is deleted, so the updater can never be handed it.
        if (!fileChanged.isEmpty() && !key.isEmpty())
            QVERIFY(!rig.inTemp(fileChanged));
        if (!withoutDigest.isEmpty())
            QVERIFY(!rig.inTemp(withoutDigest));
        QVERIFY(!rig.inTemp("x.inf") && !rig.inTemp("x.inf.sig") && !rig.inTemp("notes.txt"));
        QVERIFY(rig.leftovers().isEmpty());

        // The actions are started as programs of their own: give them time to show.
        QTRY_COMPARE(rig.markers(), markers);
        QTest::qWait(200);
        QCOMPARE(rig.markers(), markers);
    }

    // The release notes and the agreement count as files: shown only as signed.
    void notesAndAgreementMatchTheirDigests_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<bool>("keySet");
        QTest::addColumn<QString>("digest");
        QTest::addColumn<bool>("shown");
        const QString right = QString::fromLatin1(sha256(kNotes));
        const QString wrong = QString::fromLatin1(sha256("Slower lists\n"));
        for (const QString& section : {QString("whatsnew"), QString("eula")}) {
            const QByteArray name = section.toUtf8();
            QTest::newRow((name + ", matching").constData()) << section << true << right << true;
            QTest::newRow((name + ", in capitals").constData()) << section << true << right.toUpper() << true;
            QTest::newRow((name + ", differing").constData()) << section << true << wrong << false;
            QTest::newRow((name + ", none").constData()) << section << true << QString() << false;
            QTest::newRow((name + ", no key").constData()) << section << false << wrong << true;
        }
    }

    void notesAndAgreementMatchTheirDigests()
    {
        QFETCH(QString, section);
        QFETCH(bool, keySet);
        QFETCH(QString, digest);
        QFETCH(bool, shown);
        SignedRig rig;
        if (keySet)
            rig.engine->UpdateKey = rig.publisher.publicKeyBase64();
        const QByteArray control = rig.controlBytes("[update]\nunconditional=1\n[" + section +
                                                    "]\nfile=@URL@notes.txt\nsha256=" + digest + "\n");
        rig.serve("x.inf", control);
        rig.serve("x.inf.sig", rig.publisher.signatureBase64(control));
        rig.serve("notes.txt", kNotes);
        QVERIFY(rig.fetch());

        ReleaseInstaller release(*rig.engine);
        const QStringList lines =
            section == "whatsnew" ? release.FetchWhatsNewText() : release.FetchAgreementText();
        QCOMPARE(lines, shown ? QStringList{"Faster lists"} : QStringList());
        QVERIFY(!rig.inTemp("notes.txt"));
    }
};

QTEST_GUILESS_MAIN(TestSignedUpdates)
#include "TestSignedUpdates.moc"
