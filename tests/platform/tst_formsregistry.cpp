#include "TestEnvironment.h"
#include "platform/FormsRegistry.h"

#include <QDialog>
#include <QTimer>

#include <optional>

// A window with public variables, as the program's dialogs have them.
class frmSample : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString mRemoteId MEMBER mRemoteId)
    Q_PROPERTY(bool Agreed MEMBER Agreed)
public:
    using QDialog::QDialog;
    QString mRemoteId;
    bool Agreed = false;
    QString seenAtShow;

protected:
    void showEvent(QShowEvent* e) override
    {
        QDialog::showEvent(e);
        seenAtShow = mRemoteId;
        QTimer::singleShot(0, this, [this] {
            Agreed = mRemoteId == QLatin1String("123");
            setProperty("pSeenAtShow", seenAtShow);
            accept();
        });
    }
};

class tst_formsregistry : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;

private slots:
    void init() { env.emplace(); }
    void cleanup() { env.reset(); }

    void unbuiltWindowsAreStubsThatSaySo()
    {
        FormsRegistry& forms = FormsRegistry::instance();
        env->messages().answer(vbmsg::OK, "The sale window is not yet available").answer(vbmsg::OK, "Printing address labels is not");
        const QVariantMap back = forms.showModal("frmAuction", {{"mRemoteId", "555"}, {"mRemoteEdit", true}});
        QCOMPARE(back.value("mRemoteId").toString(), QStringLiteral("555"));
        QCOMPARE(forms.showModeless("frmLabels", {{"pSingleAuctionNumber", "7"}}), nullptr);

        QCOMPARE(forms.stubCalls().size(), 2);
        QCOMPARE(forms.stubCalls()[0].form, QStringLiteral("frmAuction"));
        QVERIFY(forms.stubCalls()[0].modal);
        QCOMPARE(forms.stubCalls()[0].vars.value("mRemoteEdit").toBool(), true);
        QVERIFY(!forms.stubCalls()[1].modal);
        QCOMPARE(env->messages().prompts()[0].style, int(vbmsg::Information));
        QVERIFY(!forms.isBuilt("frmAuction"));
        // The seller reads what the window is for, never its name in the code.
        for (const auto& prompt : env->messages().prompts()) QVERIFY2(!prompt.text.contains("frm"), qPrintable(prompt.text));
        QCOMPARE(FormsRegistry::notAvailableText("frmSomethingNew"), QStringLiteral("This window is not yet available in this version of Vendaro."));
    }

    void modalWindowGetsItsVariablesBeforeShowingAndGivesThemBack()
    {
        FormsRegistry& forms = FormsRegistry::instance();
        forms.overrideForm("frmSample", [](QWidget* parent) { return new frmSample(parent); });
        QVERIFY(forms.isBuilt("frmSample"));
        const QVariantMap back = forms.showModal("frmSample", {{"mRemoteId", "123"}});
        QCOMPARE(back.value("result").toInt(), int(QDialog::Accepted));
        QCOMPARE(back.value("Agreed").toBool(), true);
        QCOMPARE(back.value("pSeenAtShow").toString(), QStringLiteral("123"));
        QVERIFY(forms.stubCalls().isEmpty());
    }

    void testOverrideWinsUntilCleared()
    {
        FormsRegistry& forms = FormsRegistry::instance();
        int realMade = 0, fakeMade = 0;
        forms.registerForm("frmCounted", [&](QWidget* p) { ++realMade; return new QDialog(p); });
        forms.overrideForm("frmCounted", [&](QWidget* p) { ++fakeMade; return new QDialog(p); });
        delete forms.create("frmCounted");
        forms.clearOverrides();
        QWidget* w = forms.create("frmCounted", {{"pSingleAuctionNumber", "9"}});
        QCOMPARE(w->objectName(), QStringLiteral("frmCounted"));
        QCOMPARE(w->property("pSingleAuctionNumber").toString(), QStringLiteral("9"));
        delete w;
        QCOMPARE(fakeMade, 1);
        QCOMPARE(realMade, 1);
    }

    void modelessWindowDeletesItselfOnClose()
    {
        FormsRegistry& forms = FormsRegistry::instance();
        forms.overrideForm("frmPlain", [](QWidget* p) { return new QDialog(p); });
        QPointer<QWidget> w = forms.showModeless("frmPlain");
        QVERIFY(w && w->isVisible());
        w->close();
        QTRY_VERIFY(w.isNull());
    }
};

VENDARO_TEST_MAIN(tst_formsregistry)
#include "tst_formsregistry.moc"
