#include "modWebProcessing.h"

#include "platform/FormsRegistry.h"

#include <QWidget>

namespace modWebProcessing {

bool ShowBrowser(QWidget* CallerForm, bool ExitAfterLogin, bool Modal, bool GetTradeMeMemberId)
{
    const QVariantMap vars = {{QStringLiteral("RemoteForm"), QVariant::fromValue<QObject*>(CallerForm)},
                              {QStringLiteral("AutoLogin"), true},
                              {QStringLiteral("ExitAfterLogin"), ExitAfterLogin},
                              {QStringLiteral("GetTradeMeMemberId"), GetTradeMeMemberId}};
    FormsRegistry& forms = FormsRegistry::instance();
    if (Modal) return forms.showModal(QStringLiteral("frmBrowser"), vars, CallerForm).value(QStringLiteral("LoginOK")).toBool();
    QWidget* window = forms.showModeless(QStringLiteral("frmBrowser"), vars, CallerForm);
    return window && window->property("LoginOK").toBool();
}

}  // namespace modWebProcessing
