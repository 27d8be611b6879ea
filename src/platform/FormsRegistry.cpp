#include "FormsRegistry.h"

#include "MessageService.h"

#include <QDialog>
#include <QHash>
#include <QMetaProperty>
#include <QWidget>

FormsRegistry& FormsRegistry::instance()
{
    static FormsRegistry registry;
    return registry;
}

void FormsRegistry::registerForm(const QString& name, Factory factory) { m_factories.insert(name, std::move(factory)); }

void FormsRegistry::overrideForm(const QString& name, Factory factory) { m_overrides.insert(name, std::move(factory)); }

void FormsRegistry::clearOverrides() { m_overrides.clear(); }

bool FormsRegistry::isBuilt(const QString& name) const { return bool(factoryFor(name)); }

FormsRegistry::Factory FormsRegistry::factoryFor(const QString& name) const
{
    if (auto it = m_overrides.constFind(name); it != m_overrides.constEnd()) return *it;
    return m_factories.value(name);
}

QString FormsRegistry::notAvailableText(const QString& name)
{
    // The seller knows windows by what they do, not by their names in the code.
    static const QHash<QString, QString> what{
        {QStringLiteral("frmWizardDatabase"), QStringLiteral("The database wizard")},
        {QStringLiteral("frmWizardSetup"), QStringLiteral("The setup wizard")},
        {QStringLiteral("frmConfig"), QStringLiteral("The Options window")},
        {QStringLiteral("frmAbout"), QStringLiteral("The About window")},
        {QStringLiteral("frmUpdate"), QStringLiteral("Updating from the site")},
        {QStringLiteral("frmAuction"), QStringLiteral("The sale window")},
        {QStringLiteral("frmAuctionEnded"), QStringLiteral("The auction ended window")},
        {QStringLiteral("frmPaid"), QStringLiteral("The payment window")},
        {QStringLiteral("frmSend"), QStringLiteral("The goods sent window")},
        {QStringLiteral("frmCustomer"), QStringLiteral("The buyer window")},
        {QStringLiteral("frmPayMethod"), QStringLiteral("The payment method window")},
        {QStringLiteral("frmEmail"), QStringLiteral("The e-mail template window")},
        {QStringLiteral("frmEmailSingle"), QStringLiteral("Sending an e-mail")},
        {QStringLiteral("frmEmailMultiple"), QStringLiteral("Sending e-mails in bulk")},
        {QStringLiteral("frmFeedbackSingle"), QStringLiteral("Leaving feedback")},
        {QStringLiteral("frmFeedback"), QStringLiteral("Leaving feedback in bulk")},
        {QStringLiteral("frmFixedPriceOffer"), QStringLiteral("Fixed price offers")},
        {QStringLiteral("frmFixedPriceOptions"), QStringLiteral("The fixed price offer options")},
        {QStringLiteral("frmRelist"), QStringLiteral("Relisting")},
        {QStringLiteral("frmRelistDetail"), QStringLiteral("The relist options window")},
        {QStringLiteral("frmRelistExcluded"), QStringLiteral("The excluded items window")},
        {QStringLiteral("frmItem"), QStringLiteral("The stock item window")},
        {QStringLiteral("frmItemGroup"), QStringLiteral("The item group window")},
        {QStringLiteral("frmItemDetails"), QStringLiteral("The item details window")},
        {QStringLiteral("frmLabels"), QStringLiteral("Printing address labels")},
        {QStringLiteral("frmLabelsSetup"), QStringLiteral("The label sheet setup")},
        {QStringLiteral("reportStockOnHand"), QStringLiteral("The stock on hand report")},
        {QStringLiteral("reportPickingList"), QStringLiteral("The picking list")},
    };
    return what.value(name, QStringLiteral("This window")) + QStringLiteral(" is not yet available in this version of Vendaro.");
}

void FormsRegistry::recordStub(const QString& name, const QVariantMap& vars, bool modal)
{
    m_stubCalls.append({name, vars, modal});
    MsgBox(notAvailableText(name), vbmsg::Information);
}

QWidget* FormsRegistry::create(const QString& name, const QVariantMap& vars, QWidget* parent)
{
    const Factory factory = factoryFor(name);
    if (!factory) return nullptr;
    QWidget* w = factory(parent);
    if (!w) return nullptr;
    if (w->objectName().isEmpty()) w->setObjectName(name);
    for (auto it = vars.constBegin(); it != vars.constEnd(); ++it) w->setProperty(it.key().toUtf8().constData(), it.value());
    return w;
}

QVariantMap FormsRegistry::showModal(const QString& name, const QVariantMap& vars, QWidget* parent)
{
    QPointer<QWidget> w = create(name, vars, parent);
    if (!w) {
        recordStub(name, vars, true);
        return vars;
    }
    int code = 0;
    if (auto* dialog = qobject_cast<QDialog*>(w.data())) {
        code = dialog->exec();
    } else {
        // Every modal window is a QDialog; anything else is shown and left open.
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->show();
        return vars;
    }
    QVariantMap result;
    if (w) {
        const QMetaObject* mo = w->metaObject();
        for (int i = QDialog::staticMetaObject.propertyCount(); i < mo->propertyCount(); ++i) {
            const QMetaProperty p = mo->property(i);
            if (p.isReadable()) result.insert(QString::fromLatin1(p.name()), p.read(w));
        }
        for (const QByteArray& dyn : w->dynamicPropertyNames())
            if (!dyn.startsWith("_q_")) result.insert(QString::fromUtf8(dyn), w->property(dyn.constData()));
        delete w.data();
    }
    result.insert(QStringLiteral("result"), code);
    return result;
}

QWidget* FormsRegistry::showModeless(const QString& name, const QVariantMap& vars, QWidget* parent)
{
    QWidget* w = create(name, vars, parent);
    if (!w) {
        recordStub(name, vars, false);
        return nullptr;
    }
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->show();
    return w;
}
