#include "TestEnvironment.h"

#include "DatabaseFixture.h"
#include "core/ProgramContext.h"
#include "core/modStart.h"
#include "platform/FormsRegistry.h"
#include "platform/db/Connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <cstdlib>

TestEnvironment::TestEnvironment()
{
    ProgramContext::reset();
    ProgramContext::current().gAppFolder = m_programDir.path();
    // The program folder holds the template and outbox databases and the page templates, as an installed one does.
    const QDir built(qEnvironmentVariable("VENDARO_PROGRAM_DIR"));
    for (const QString& name : built.entryList({QStringLiteral("data.mdb"), QStringLiteral("emailer.mdb"), QStringLiteral("*.frm"), QStringLiteral("*.sub"), QStringLiteral("*.svg")}, QDir::Files))
        QFile::copy(built.filePath(name), QDir(m_programDir.path()).filePath(name));
    // The built program folder is also the demo's: an e-mail queued while
    // trying the program must not reach a test's outbox.
    if (QFileInfo::exists(QDir(m_programDir.path()).filePath(QStringLiteral("emailer.mdb")))) {
        Connection outbox;
        if (outbox.Open(QDir(m_programDir.path()).filePath(QStringLiteral("emailer.mdb")))) outbox.Execute(QStringLiteral("DELETE FROM outbox"));
    }
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    MessageService::install(&m_messages);
    MessageService::setDefaultTitle(ProgramContext::current().gAppTitle);
    FormsRegistry::instance().clearOverrides();
    FormsRegistry::instance().clearStubCalls();
    // No test starts a program for real: the starts are recorded.
    modStart::SetProgramStarter([this](const QString& program, const QStringList& arguments) {
        m_started << (QStringList{program} + arguments).join(u' ');
        return m_startSucceeds && QFileInfo(program).isExecutable();
    });
}

TestEnvironment::~TestEnvironment()
{
    m_messages.verifyDone();
    MessageService::install(nullptr);
    FormsRegistry::instance().clearOverrides();
    FormsRegistry::instance().clearStubCalls();
    modStart::SetProgramStarter({});
    ProgramContext::reset();
}

bool TestEnvironment::placeProgram(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("#!/bin/sh\n") < 0) return false;
    file.close();
    return file.setPermissions(file.permissions() | QFile::ExeOwner);
}

QString TestEnvironment::settingsFile() const { return QDir(m_settingsDir.path()).filePath(QStringLiteral("Vendaro/Vendaro.ini")); }

void TestEnvironment::prepareProcess()
{
    static QTemporaryDir home;
    const QDir root(home.path());
    for (const char* sub : {"config", "data", "cache", "runtime", "Desktop"}) root.mkpath(QString::fromLatin1(sub));
    QFile::setPermissions(root.filePath(QStringLiteral("runtime")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", root.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_CACHE_HOME", root.filePath(QStringLiteral("cache")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", root.filePath(QStringLiteral("runtime")).toUtf8());
    qputenv("XDG_DESKTOP_DIR", root.filePath(QStringLiteral("Desktop")).toUtf8());
    // ctest sets these; a test program started by itself (from an IDE or a
    // debugger) gets the same defaults, with the program folder of its own build.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("VENDARO_PROGRAM_DIR")) qputenv("VENDARO_PROGRAM_DIR", VENDARO_BUILT_PROGRAM_DIR);
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-background-networking");
    // No test reaches the maker's real site (the update check gets a refusal at once).
    qputenv("VENDARO_MAKER_URL", "http://127.0.0.1:9");
    // WebEngine needs this before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

QString TestEnvironment::screenshotFolder()
{
    const QString folder = QDir(qEnvironmentVariable("VENDARO_PROGRAM_DIR")).filePath(QStringLiteral("../screenshots"));
    QDir().mkpath(folder);
    return folder;
}
