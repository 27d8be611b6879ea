#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/modCommon.h"
#include "platform/FormsRegistry.h"

#include <QDialog>
#include <QDir>
#include <QTimer>
#include <QFile>
#include <QLabel>

#include <optional>

class tst_modcommon : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;

    static void touch(const QString& path)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }

private slots:
    void init() { env.emplace(); }
    void cleanup()
    {
        modCommon::SetAnimateRandomSource(nullptr);
        env.reset();
    }

    void replaceText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("result");
        QTest::newRow("every occurrence") << "Auction [AUCTIONNUMBER] / [AUCTIONNUMBER]" << "[AUCTIONNUMBER]" << "12345"
                                          << "Auction 12345 / 12345";
        QTest::newRow("joined remainder is replaced too") << "aabb" << "ab" << "" << "";
        QTest::newRow("not found") << "Dear [NAME]" << "[EMAIL]" << "x" << "Dear [NAME]";
        QTest::newRow("case matters") << "[name] [NAME]" << "[NAME]" << "Ann" << "[name] Ann";
        QTest::newRow("empty text") << "" << "[NAME]" << "Ann" << "";
        QTest::newRow("empty find changes nothing") << "abc" << "" << "x" << "abc";
        QTest::newRow("restart from the start") << "aab" << "ab" << "b" << "b";
        // The replacement holds the searched text: the search goes on after it.
        QTest::newRow("replacement holds find") << "[X] and [X]" << "[X]" << "<[X]>" << "<[X]> and <[X]>";
        QTest::newRow("replacement equals find") << "ab ab" << "ab" << "ab" << "ab ab";
        QTest::newRow("buyer name holding the code") << "Hi [NAME]!" << "[NAME]" << "[NAME] O'Brien" << "Hi [NAME] O'Brien!";
        // A longer replacement that forms a new occurrence with the text before it ends too.
        QTest::newRow("longer replacement forming an occurrence") << "aab" << "ab" << "bbaa" << "abbaa";
        QTest::newRow("double blanks collapse") << "a    b" << "  " << " " << "a b";
    }
    void replaceText()
    {
        QFETCH(QString, text);
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        QFETCH(QString, result);
        QString updated = text;
        QCOMPARE(modCommon::ReplaceText(updated, find, replacement), result);
        QCOMPARE(updated, result);  // the text itself is updated too
    }

    void replaceCodes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("each code") << "Hi [NAME], [ITEM] sent" << "Hi Ann, [NAME]'s box sent";
        QTest::newRow("value holding a code stays as typed") << "[ITEM]!" << "[NAME]'s box!";
        QTest::newRow("longer code of its own") << "[NAME2] [NAME]" << "Bea Ann";
        QTest::newRow("first code in the list wins") << "[X]" << "first";
        QTest::newRow("no code") << "plain [text]" << "plain [text]";
        QTest::newRow("empty") << "" << "";
    }
    void replaceCodes()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const QList<QPair<QString, QString>> codes{
            {"[NAME]", "Ann"}, {"[NAME2]", "Bea"}, {"[ITEM]", "[NAME]'s box"}, {"[X]", "first"}, {"[X]", "second"}, {"", "never"}};
        QCOMPARE(modCommon::ReplaceCodes(text, codes), expected);
    }

    void isValidEmail_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("valid");
        QTest::newRow("empty is valid") << "" << true;
        QTest::newRow("ordinary") << "ann@example.co.nz" << true;
        QTest::newRow("no at sign") << "ann.example.com" << false;
        QTest::newRow("at sign first") << "@example.com" << false;
        QTest::newRow("dot only before the at sign") << "ann.smith@example" << false;
        QTest::newRow("dot as the last character") << "ann@example." << true;
        QTest::newRow("dot right after the at sign") << "a@.b" << true;
    }
    void isValidEmail()
    {
        QFETCH(QString, address);
        QFETCH(bool, valid);
        QCOMPARE(modCommon::IsValidEmail(address), valid);
    }

    void deleteFileInTheProgramFolder()
    {
        const QDir folder(env->programFolder());
        touch(folder.filePath("VNTMLI.sub"));
        QVERIFY(modCommon::DeleteFile("VNTMLI.sub", QString(), true));
        QVERIFY(!folder.exists("VNTMLI.sub"));
        // A missing file without ShowError is silent.
        QVERIFY(!modCommon::DeleteFile("VNTMLI.sub", QString(), false));
        QVERIFY(env->messages().prompts().isEmpty());
    }

    void deleteFileWildcardMatchesOneCharacter()
    {
        QTemporaryDir other;
        const QDir folder(other.path());
        for (const char* name : {"VNTMR1.sub", "VNTMR2.sub", "VNTMR.sub", "VNTMR12.sub", "VNTMR1.frm", "VNTMRa.sub"})
            touch(folder.filePath(name));
        QVERIFY(modCommon::DeleteFile("VNTMR?.sub", other.path(), true));
        QStringList left = folder.entryList(QDir::Files);
        left.sort();
        QCOMPARE(left, (QStringList{"VNTMR.sub", "VNTMR1.frm", "VNTMR12.sub"}));
    }

    void deleteFileOtherCharactersAreLiteral()
    {
        const QDir folder(env->programFolder());
        touch(folder.filePath("a*b.sub"));
        touch(folder.filePath("aXb.sub"));
        touch(folder.filePath("[1].sub"));
        touch(folder.filePath("1.sub"));
        QVERIFY(modCommon::DeleteFile("a*b.sub"));
        QVERIFY(modCommon::DeleteFile("[?].sub"));
        QVERIFY(folder.exists("aXb.sub"));
        QVERIFY(folder.exists("1.sub"));
        QVERIFY(!folder.exists("[1].sub"));
    }

    void deleteFileReportsWhenAsked()
    {
        env->messages().answer(vbmsg::OK, "Error deleting file: VNTMR?.sub");
        QVERIFY(!modCommon::DeleteFile("VNTMR?.sub", QString(), true));
        const auto& p = env->messages().prompts().at(0);
        QCOMPARE(p.style, int(vbmsg::Critical));
        QCOMPARE(p.title, QStringLiteral("Vendaro"));
        QVERIFY(p.text.contains("\r\n\r\nFile not found"));
    }

    void showMessageUsesTheMessageService_data()
    {
        QTest::addColumn<int>("messageType");
        QTest::addColumn<int>("style");
        QTest::newRow("warning") << 48 << 48;
        QTest::newRow("information") << 64 << 64;
        QTest::newRow("question icon, OK only") << 32 << 32;
        QTest::newRow("critical") << 16 << 16;
        QTest::newRow("no icon") << 0 << 0;
        QTest::newRow("unknown type, no icon") << 65 << 0;
    }
    void showMessageUsesTheMessageService()
    {
        QFETCH(int, messageType);
        QFETCH(int, style);
        env->messages().answer(vbmsg::OK, "Tip");
        modCommon::ShowMessage("Tip of the day", messageType, true, "Vendaro hint", false);
        QCOMPARE(env->messages().prompts().at(0).style, style);
        QCOMPARE(env->messages().prompts().at(0).title, QStringLiteral("Vendaro hint"));
    }

    void showMessageOpensTheMessageWindowOnceBuilt()
    {
        QVariantMap seen;
        FormsRegistry::instance().overrideForm("frmMessageBox", [&](QWidget* parent) {
            auto* d = new QDialog(parent);
            QTimer::singleShot(0, d, [d, &seen] {
                for (const char* k : {"Message", "MessageType", "ShowAgainVisible", "ShowOnceOnly", "formTitle"})
                    seen.insert(k, d->property(k));
                d->accept();
            });
            return d;
        });
        modCommon::ShowMessage("Hello", 64, false, "Title", true);
        QCOMPARE(seen.value("Message").toString(), QStringLiteral("Hello"));
        QCOMPARE(seen.value("MessageType").toInt(), 64);
        QCOMPARE(seen.value("ShowAgainVisible").toBool(), false);
        QCOMPARE(seen.value("ShowOnceOnly").toBool(), true);
        QCOMPARE(seen.value("formTitle").toString(), QStringLiteral("Title"));
    }

    void animatePictureBlinks()
    {
        QList<QPixmap> images;
        for (QColor c : {Qt::red, Qt::green, Qt::blue}) {
            QPixmap p(4, 4);
            p.fill(c);
            images << p;
        }
        QLabel picture;
        QList<double> rolls = {0.5, 0.02, 0.02, 0.5, 0.5, 0.01, 0.03, 0.02};
        modCommon::SetAnimateRandomSource([&] { return rolls.takeFirst(); });
        QList<int> shown;
        for (int i = 0; i < 8; ++i) shown << modCommon::AnimatePicture(&picture, images);
        // 0.02 x 50 = 1 starts a blink; a roll during a blink changes nothing;
        // 0.5 and 1.5 round to the even 0 and 2, so 0.01 and 0.03 do not blink.
        QCOMPARE(shown, (QList<int>{1, 2, 3, 1, 1, 1, 1, 2}));
        QCOMPARE(picture.pixmap().toImage().pixelColor(0, 0), QColor(Qt::green));
        QCOMPARE(ProgramContext::current().mAnimateFrame, 3);
    }
};

VENDARO_TEST_MAIN(tst_modcommon)
#include "tst_modcommon.moc"
