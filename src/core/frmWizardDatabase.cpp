#include "frmWizardDatabase.h"

#include "Mascot.h"
#include "ProgramContext.h"
#include "modCommon.h"
#include "modDatabase.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/DatabaseCopy.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QString CrLf = QStringLiteral("\r\n");

QLabel* heading(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.3);
    l->setFont(f);
    l->setWordWrap(true);
    return l;
}

bool isReserved(const QString& name)
{
    const QString lower = name.toLower();
    return lower == QLatin1String("data") || lower == QLatin1String("emailer");
}
}  // namespace

frmWizardDatabase::frmWizardDatabase(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmWizardDatabase"));
    setWindowTitle(Title());
    resize(600, 360);

    picVendaro = new QLabel(this);
    picVendaro->setObjectName(QStringLiteral("picVendaro"));
    picVendaro->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    Timer1 = new QTimer(this);
    Timer1->setInterval(50);
    const QList<QPixmap> images = Mascot::frames();
    picVendaro->setPixmap(images.first());
    connect(Timer1, &QTimer::timeout, this, [this, images] { modCommon::AnimatePicture(picVendaro, images); });

    picStep = new QStackedWidget(this);
    // Page 1: welcome.
    auto* welcome = new QWidget(picStep);
    welcome->setObjectName(QStringLiteral("picStep(1)"));
    auto* w = new QVBoxLayout(welcome);
    w->addWidget(heading(QStringLiteral("Welcome to the Vendaro Database Setup Wizard"), welcome));
    auto* question = new QLabel(QStringLiteral("Do you want to create a new database or open an existing database?"), welcome);
    question->setWordWrap(true);
    w->addWidget(question);
    cmdNew = new QPushButton(QStringLiteral("Create new database"), welcome);
    cmdNew->setObjectName(QStringLiteral("cmdNew"));
    cmdExists = new QPushButton(QStringLiteral("Open existing database"), welcome);
    cmdExists->setObjectName(QStringLiteral("cmdExists"));
    w->addSpacing(12);
    w->addWidget(cmdNew);
    w->addWidget(cmdExists);
    w->addStretch();
    picStep->addWidget(welcome);

    // Page 2: create.
    auto* create = new QWidget(picStep);
    create->setObjectName(QStringLiteral("picStep(2)"));
    auto* c = new QVBoxLayout(create);
    c->addWidget(heading(QStringLiteral("Create new database"), create));
    auto* form = new QFormLayout;
    txtDatabaseName = new QLineEdit(QStringLiteral("MyDatabase"), create);
    txtDatabaseName->setObjectName(QStringLiteral("txtDatabaseName"));
    txtDatabaseDesc = new QLineEdit(QStringLiteral("My TradeMe Database"), create);
    txtDatabaseDesc->setObjectName(QStringLiteral("txtDatabaseDesc"));
    txtDatabasePath = new QLineEdit(create);
    txtDatabasePath->setObjectName(QStringLiteral("txtDatabasePath"));
    cmdBrowse = new QPushButton(QStringLiteral("Browse"), create);
    cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(txtDatabasePath, 1);
    pathRow->addWidget(cmdBrowse);
    form->addRow(QStringLiteral("Database file name"), txtDatabaseName);
    form->addRow(QStringLiteral("Database description"), txtDatabaseDesc);
    form->addRow(QStringLiteral("Database location"), pathRow);
    c->addLayout(form);
    c->addStretch();
    picStep->addWidget(create);

    // The navigation strip.
    auto* picNav = new QWidget(this);
    picNav->setObjectName(QStringLiteral("picNav"));
    auto* nav = new QHBoxLayout(picNav);
    cmdExit = new QPushButton(QStringLiteral("Exit setup"), picNav);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdOK = new QPushButton(QStringLiteral("OK"), picNav);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    nav->addWidget(cmdExit);
    nav->addStretch();
    nav->addWidget(cmdOK);

    auto* top = new QHBoxLayout;
    top->addWidget(picVendaro);
    top->addWidget(picStep, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(picNav);

    for (QPushButton* b : {cmdNew, cmdExists, cmdBrowse, cmdOK, cmdExit}) b->setAutoDefault(false);
    connect(cmdNew, &QPushButton::clicked, this, &frmWizardDatabase::cmdNew_Click);
    connect(cmdExists, &QPushButton::clicked, this, &frmWizardDatabase::cmdExists_Click);
    connect(cmdBrowse, &QPushButton::clicked, this, &frmWizardDatabase::cmdBrowse_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmWizardDatabase::cmdOK_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmWizardDatabase::cmdExit_Click);
    txtDatabaseName->installEventFilter(this);
    txtDatabaseDesc->installEventFilter(this);
    txtDatabasePath->setText(QDir::homePath());
}

void frmWizardDatabase::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (mActivated) return;
    mActivated = true;
    QTimer::singleShot(0, this, &frmWizardDatabase::Form_Activate);
}

void frmWizardDatabase::Form_Activate()
{
    ShowStep(FirstRun ? 1 : 2);
    Timer1->start();
}

void frmWizardDatabase::ShowStep(int step)
{
    picStep->setCurrentIndex(step - 1);
    cmdOK->setVisible(step == 2);
    // Enter presses the page's own button: OK on the create page, "Create new
    // database" on the welcome page.
    cmdOK->setDefault(step == 2);
    cmdNew->setDefault(step == 1);
}

int frmWizardDatabase::currentStep() const { return picStep->currentIndex() + 1; }

bool frmWizardDatabase::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit && event->type() == QEvent::FocusIn) QTimer::singleShot(0, edit, &QLineEdit::selectAll);
    if (edit == txtDatabaseName && event->type() == QEvent::MouseButtonDblClick) ShowStep(1);
    return QDialog::eventFilter(watched, event);
}

void frmWizardDatabase::cmdNew_Click() { ShowStep(2); }

void frmWizardDatabase::cmdExit_Click()
{
    if (MsgBox(QStringLiteral("You cannot run Vendaro until a database is setup.") + CrLf + CrLf + QStringLiteral("Cancel setup?"),
               vbmsg::YesNo + vbmsg::Information, Title()) == vbmsg::Yes)
        close();
}

QString frmWizardDatabase::BrowseDatabase(bool save)
{
    MessageService& dialogs = MessageService::instance();
    const QString start = ProgramContext::current().gAppFolder;
    const QString filter = QStringLiteral("Database (*.mdb)");
    QString file = save ? dialogs.GetSaveFileName(QStringLiteral("Select database location"), start, filter)
                        : dialogs.GetOpenFileName(QStringLiteral("Select database location"), start, filter);
    if (!file.isEmpty() && QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".mdb");
    return file;
}

void frmWizardDatabase::cmdBrowse_Click()
{
    const QString file = BrowseDatabase(true);
    if (file.isEmpty()) return;
    const QFileInfo info(file);
    txtDatabaseName->setText(info.completeBaseName());
    txtDatabasePath->setText(info.absolutePath());
}

QString frmWizardDatabase::ExpandLocation(const QString& location)
{
    // "~" is the home folder, as in every shell the seller knows.
    const QString path = location.trimmed();
    if (path == u'~') return QDir::homePath();
    if (path.startsWith(QLatin1String("~/"))) return QDir::homePath() + path.mid(1);
    return path;
}

void frmWizardDatabase::cmdOK_Click()
{
    QString message;
    txtDatabasePath->setText(ExpandLocation(txtDatabasePath->text()));
    txtDatabaseName->setText(txtDatabaseName->text().trimmed());
    if (txtDatabasePath->text().isEmpty()) message = QStringLiteral("Please enter the location you want your database saved to.");
    if (txtDatabaseDesc->text().trimmed().isEmpty()) txtDatabaseDesc->setText(QStringLiteral("My TradeMe Database"));
    const QString name = txtDatabaseName->text();
    if (name.isEmpty()) message = QStringLiteral("Please enter your database filename.");
    if (name.contains(u'.')) message = QStringLiteral("Invalid database filename.  You cannot have a . included in the database filename");
    // A folder separator would put the file somewhere else than the location.
    if (name.contains(u'/')) message = QStringLiteral("Invalid database filename.  You cannot have a / included in the database filename");
    if (isReserved(name))
        message = QStringLiteral("Please choose a different database filename.  The name you have selected is reserved.");
    if (!message.isEmpty()) {
        MsgBox(message, vbmsg::Information, Title());
        return;
    }
    const QString file = QDir(txtDatabasePath->text()).filePath(name + QStringLiteral(".mdb"));
    if (QFileInfo::exists(file) &&
        MsgBox(QStringLiteral("A database with that name already exists.") + CrLf + CrLf +
                   QStringLiteral("Do you want to overwrite the existing database?"),
               vbmsg::YesNo + vbmsg::Question, Title()) != vbmsg::Yes)
        return;
    if (CreateDatabase(txtDatabasePath->text(), name) && InitialiseConfiguration()) StartSetupWizard();
}

bool frmWizardDatabase::CreateDatabase(const QString& DatabasePath, const QString& DatabaseName)
{
    ProgramContext& ctx = ProgramContext::current();
    const QString file = QDir(DatabasePath).filePath(DatabaseName + QStringLiteral(".mdb"));
    const QString title = QFileInfo(file).fileName();
    ctx.gDatabaseTitle = title;
    ctx.gDatabaseFile = file;
    modDatabase::CloseDatabase();
    // The new database is set up before it takes the place of an old one, so
    // the file there is always either the old database or the whole new one.
    DatabaseCopy copy(QDir(ctx.gAppFolder).filePath(QStringLiteral("data.mdb")), file);
    const QString desc = txtDatabaseDesc->text();
    copy.setPreparation([desc](Connection& connection, QString* error) { return WriteConfiguration(connection, vb::today(), desc, error); });
    if (!copy.Run()) {
        MsgBox(QStringLiteral("An error occurred trying to create your database?") + CrLf +
                   QStringLiteral("Be sure you have permission to access the location you are attempting to save the database to.  "
                                  "If you are storing your database on a flashdrive make sure it is in and not write protected.") +
                   CrLf + QStringLiteral("Error returned: ") + copy.errorString(),
               vbmsg::Critical, Title());
        return false;
    }
    return modDatabase::OpenDatabase(file, title, true, true);
}

bool frmWizardDatabase::WriteConfiguration(Connection& connection, double startDate, const QString& desc, QString* error)
{
    int changed = 0;
    if (!connection.Execute(QStringLiteral("UPDATE Configuration SET DateSystemStart=?, DatabaseDesc=?"), {startDate, desc}, &changed)) {
        *error = connection.lastError();
        return false;
    }
    if (changed < 1) {
        *error = QStringLiteral("It has no configuration row.");
        return false;
    }
    return true;
}

bool frmWizardDatabase::InitialiseConfiguration()
{
    ProgramContext& ctx = ProgramContext::current();
    const double today = vb::today();
    const QString desc = txtDatabaseDesc->text();
    QString error;
    if (!WriteConfiguration(*ctx.gConnection, today, desc, &error)) {
        MsgBox(QStringLiteral("The new database could not be set up.") + CrLf + CrLf + error, vbmsg::Critical, Title());
        return false;
    }
    ctx.gConfiguration.DateSystemStart = today;
    ctx.gConfiguration.DatabaseDesc = desc;
    return true;
}

void frmWizardDatabase::cmdExists_Click()
{
    ProgramContext& ctx = ProgramContext::current();
    const QString file = BrowseDatabase(false);
    if (file.isEmpty()) return;
    const QFileInfo info(file);
    const QString lower = info.fileName().toLower();
    if (lower == QLatin1String("data.mdb") || lower == QLatin1String("emailer.mdb") || modDatabase::IsProgramDatabase(file)) {
        MsgBox(QStringLiteral("You cannot open this database."), vbmsg::Information, Title());
        return;
    }
    if (!info.exists()) {
        MsgBox(QStringLiteral("Database ") + info.fileName() + QStringLiteral(" was not found."), vbmsg::Information, Title());
        return;
    }
    ctx.gDatabaseFile = file;
    ctx.gDatabaseTitle = info.fileName();
    if (!modDatabase::OpenDatabase(file, info.fileName(), true, true)) return;
    if (!ctx.gConfiguration.IsSetUp()) {
        StartSetupWizard();
        return;
    }
    FormsRegistry::instance().showModeless(QStringLiteral("frmMain"));
    close();
}

void frmWizardDatabase::StartSetupWizard()
{
    FormsRegistry::instance().showModeless(QStringLiteral("frmWizardSetup"), {{QStringLiteral("FirstRun"), true}});
    close();
}
