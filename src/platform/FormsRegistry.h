#pragma once
// Windows are created by their form name ("frmAuction"), with their public
// variables set as Qt properties before they are shown. A caller can open a
// window that is not built yet (a recording stub stands in and says so), and a
// test can put its own factory in place of any window.

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QVariantMap>

#include <functional>

class QWidget;

class FormsRegistry {
public:
    using Factory = std::function<QWidget*(QWidget* parent)>;

    // One call to a window that has no factory.
    struct StubCall {
        QString form;
        QVariantMap vars;
        bool modal = false;
    };

    static FormsRegistry& instance();

    // The program's own windows, registered once at start-up.
    void registerForm(const QString& name, Factory factory);
    // A test's stand-in for a window; wins over the registered one until cleared.
    void overrideForm(const QString& name, Factory factory);
    void clearOverrides();
    bool isBuilt(const QString& name) const;

    // Creates the window with its public variables set; nullptr when the form
    // has no factory (the stub path of showModal / showModeless records those).
    QWidget* create(const QString& name, const QVariantMap& vars = {}, QWidget* parent = nullptr);

    // Shows the window modally and returns its public variables as they are
    // when it closes (properties declared by the form, plus dynamic ones),
    // then deletes it. The result holds "result" = the dialog's exec() code.
    QVariantMap showModal(const QString& name, const QVariantMap& vars = {}, QWidget* parent = nullptr);
    // Shows the window without waiting; it deletes itself when closed.
    QWidget* showModeless(const QString& name, const QVariantMap& vars = {}, QWidget* parent = nullptr);

    // Calls that reached a stub, oldest first.
    const QList<StubCall>& stubCalls() const { return m_stubCalls; }
    void clearStubCalls() { m_stubCalls.clear(); }

    // The text a stub shows.
    static QString notAvailableText(const QString& name);

private:
    Factory factoryFor(const QString& name) const;
    void recordStub(const QString& name, const QVariantMap& vars, bool modal);

    QHash<QString, Factory> m_factories;
    QHash<QString, Factory> m_overrides;
    QList<StubCall> m_stubCalls;
};
