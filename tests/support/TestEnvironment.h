#pragma once
// What every test case runs in: a fresh program context with its own
// temporary program folder (holding data.mdb) and settings folder, the scripted message service
// and a forms registry without test overrides. Create one in init() (or as a
// member reset there) and let it go in cleanup(); leftover scripted answers
// fail the test then.

#include "ScriptedMessages.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();

    QString programFolder() const { return m_programDir.path(); }
    QString settingsFolder() const { return m_settingsDir.path(); }
    // The settings file the programs read and write.
    QString settingsFile() const;
    ScriptedMessages& messages() { return m_messages; }
    // Programs the code asked to start (program and arguments), oldest first.
    const QStringList& startedPrograms() const { return m_started; }
    void setProgramStartSucceeds(bool succeeds) { m_startSucceeds = succeeds; }
    // Puts an executable file at path (the program folder's Emailer, say), so
    // that a start of it is recorded as a success; false when it could not be written.
    static bool placeProgram(const QString& path);

    // Once per test process, before the application object exists: points
    // HOME and the XDG folders at a temporary folder, so nothing a test does
    // reaches the user's own files, and selects the offscreen platform.
    static void prepareProcess();
    // build/screenshots, made if missing: where tests leave pictures of windows to look at.
    static QString screenshotFolder();

private:
    QTemporaryDir m_programDir;
    QTemporaryDir m_settingsDir;
    ScriptedMessages m_messages;
    QStringList m_started;
    bool m_startSucceeds = true;
};

#define VENDARO_TEST_MAIN(TestObject)                       \
    int main(int argc, char** argv)                         \
    {                                                       \
        TestEnvironment::prepareProcess();                  \
        QApplication app(argc, argv);                       \
        TestObject tc;                                      \
        QTEST_SET_MAIN_SOURCE_PATH                          \
        return QTest::qExec(&tc, argc, argv);               \
    }
