// The clone wizard's form: the window, the source and destination pages,
// the frame pages and the two log pages, placed as on the designed form.
#include "app/engine/settings.h"
#include "app/wizard/form_widgets.h"
#include "app/wizard/pictures.h"
#include "app/wizard/wz_Dravik.h"

namespace dravik::wizard {

namespace {

QStringList ToStringList(const std::vector<std::string>& items) {
    QStringList list;
    for (const std::string& item : items) list << QString::fromStdString(item);
    return list;
}

QString Q(const std::string& text) { return QString::fromStdString(text); }

QToolButton* FolderButton(QWidget* parent, const char* name, int left, int top) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setGeometry(left, top, 23, 22);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(FolderIcon());
    return button;
}

QWidget* NewPage(QWidget* parent, const char* name) {
    auto* page = new QWidget(parent);
    page->setObjectName(name);
    return page;
}

// An edit that is disabled until a remote server is chosen, in the
// button-face colour meanwhile.
void DisableServerEdit(QLineEdit* edit) {
    edit->setEnabled(false);
    SetBaseColour(edit, QPalette().color(QPalette::Button));
}

}  // namespace

QFont FormFont() {
    QFont font;
    font.setFamilies({"MS Sans Serif", "DejaVu Sans Condensed", "DejaVu Sans", "Sans Serif"});
    font.setPixelSize(11);
    return font;
}

Twizard_Dravik::Twizard_Dravik(WizardDialogs dialogsToUse, QWidget* parent)
    : TWizard(parent), dialogs(std::move(dialogsToUse)) {
    setObjectName("wizard_Dravik");
    setWindowTitle("Dravik wizard");
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFont(FormFont());
    setFixedSize(653, 443);
    Panel1->setGeometry(0, 408, 653, 35);
    Panel2->setGeometry(416, 0, 236, 35);
    btnCancel->move(155, 4);
    btnFinish->move(230, 4);
    btnFinish->hide();
    pages->setGeometry(197, 0, 456, 408);

    InstallDefaultDialogs();
    CreatePages();
    BuildLogPages();
    job_ = std::make_unique<engine::TCloneJob>(*r_Log, *m_log, *this);
    BuildSourcePage();
    BuildDestinationPage();
    BuildFramePages();
    BuildStepPanel();
    ConnectHandlers();
    WatchStopSignals();
    WatchWindowLoss();
    FormCreate();
}

Twizard_Dravik::~Twizard_Dravik() = default;

void Twizard_Dravik::CreatePages() {
    page0 = NewPage(pages, "page0");
    page1 = NewPage(pages, "page1");
    page2 = NewPage(pages, "page2");
    page3 = NewPage(pages, "page3");
    page4 = NewPage(pages, "page4");
    page5 = NewPage(pages, "page5");
    page6 = NewPage(pages, "page6");
    page7 = NewPage(pages, "page7");
    page8 = NewPage(pages, "page8");
    page9 = NewPage(pages, "page9");
    pagen = NewPage(pages, "pagen");
    pager = NewPage(pages, "pager");
    AddPage(page0, "P_SRC");
    AddPage(page1, "P_DST");
    AddPage(page2, "P_UDF");
    AddPage(page3, "P_DOM");
    AddPage(page4, "P_GEN");
    AddPage(page5, "P_EXC");
    AddPage(page6, "P_PRC");
    AddPage(page7, "P_TAB");
    AddPage(page8, "P_VIW");
    AddPage(page9, "P_DAT");
    AddPage(pagen, "pagen");
    AddPage(pager, "pager");
}

// The fields show the job's default settings.
void Twizard_Dravik::BuildSourcePage() {
    const engine::JobSettings& s = job_->settings;
    QWidget* p = page0;
    Label1 = MakeLabel(p, "Label1", "Define the source database to clone it", 37, 10);

    src_srv_group = MakeGroup(p, "src_srv_group", "Source database server", 35, 28, 365, 36);
    RBlocal = MakeRadio(src_srv_group, "RBlocal", "local", !s.srcRemote, 14, 14, 71);
    RBremote = MakeRadio(src_srv_group, "RBremote", "remote", s.srcRemote, 105, 14, 78);

    QWidget* g = src_group = MakeGroup(p, "src_group", "Sourece database", 36, 70, 365, 225);
    Bevel1 = MakeBevelLine(g, "Bevel1", 2, 56, 361);
    Bevel2 = MakeBevelLine(g, "Bevel2", 2, 225 - 41, 361);
    Label13 = MakeLabel(g, "Label13", "Remote server", 11, 17, 81, Qt::AlignRight);
    Label2 = MakeLabel(g, "Label2", "Database full path file", 106, 17, 210);
    eRemoteServerName = MakeEdit(g, "eRemoteServerName", Q(s.srcServer), 7, 34, 85);
    if (!s.srcRemote) DisableServerEdit(eRemoteServerName);
    Label39 = MakeLabel(g, "Label39", ":", 98, 38);
    eSrc = MakeEdit(g, "eSrc", Q(s.srcPath), 105, 34, 213);
    btn_src_database = FolderButton(g, "btn_src_database", 325, 34);
    Label3 = MakeLabel(g, "Label3", "User name:", 12, 91, 80, Qt::AlignRight);
    eSrcUser = MakeEdit(g, "eSrcUser", Q(s.srcUser), 105, 87, 121);
    Label4 = MakeLabel(g, "Label4", "Password:", 12, 118, 80, Qt::AlignRight);
    eSrcPwd = MakeEdit(g, "eSrcPwd", Q(s.srcPassword), 105, 113, 121);
    eSrcPwd->setEchoMode(QLineEdit::Password);
    Label5 = MakeLabel(g, "Label5", "Code page:", 12, 147, 80, Qt::AlignRight);
    cbSrcCodePage = MakeCombo(g, "cbSrcCodePage", ToStringList(engine::CodePages()), Q(s.srcCodePage), 105, 139, 121);
    btn_connection_test = new QPushButton("Connection test", g);
    btn_connection_test->setObjectName("btn_connection_test");
    btn_connection_test->setGeometry(253, 135, 95, 25);
    btn_connection_test->setAutoDefault(false);
    Label41 = MakeLabel(g, "Label41", "connection test passed", 115, 196, 110, Qt::AlignRight);
    Shape3 = MakeShape(g, "Shape3", 252, 189, 29, 29);
    ImageSrcTested = new QLabel(g);
    ImageSrcTested->setObjectName("ImageSrcTested");
    ImageSrcTested->setGeometry(259, 196, 15, 15);
    ImageSrcTested->setPixmap(TickPixmap());
    ImageSrcTested->hide();

    ChainTabOrder({RBlocal, RBremote, eRemoteServerName, eSrc, btn_connection_test, eSrcUser, eSrcPwd,
                   cbSrcCodePage});
}

void Twizard_Dravik::BuildDestinationPage() {
    const engine::JobSettings& s = job_->settings;
    QWidget* p = page1;
    Label10 = MakeLabel(p, "Label10", "Destination database to copy the source in", 20, 6);

    dst_srv_group = MakeGroup(p, "dst_srv_group", "Source database server", 12, 21, 416, 50);
    RBlocalD = MakeRadio(dst_srv_group, "RBlocalD", "local", !s.dstRemote, 14, 21, 71);
    RBremoteD = MakeRadio(dst_srv_group, "RBremoteD", "remote", s.dstRemote, 105, 21, 78);

    QWidget* g = dst_group = MakeGroup(p, "dst_group", "Destination database", 12, 78, 416, 287);
    Label14 = MakeLabel(g, "Label14", "Remote server", 5, 14, 94, Qt::AlignRight);
    Label6 = MakeLabel(g, "Label6", "Database full path file", 110, 14, 262);
    eRemoteServerNameD = MakeEdit(g, "eRemoteServerNameD", Q(s.dstServer), 14, 27, 85);
    if (!s.dstRemote) DisableServerEdit(eRemoteServerNameD);
    Label40 = MakeLabel(g, "Label40", ":", 105, 31);
    eDst = MakeEdit(g, "eDst", Q(s.dstPath), 112, 27, 267);
    btn_dst_database = FolderButton(g, "btn_dst_database", 380, 27);
    Label7 = MakeLabel(g, "Label7", "User name", 12, 56, 94, Qt::AlignRight);
    eDstUser = MakeEdit(g, "eDstUser", Q(s.dstUser), 112, 57, 121);
    Label8 = MakeLabel(g, "Label8", "Password", 12, 87, 94, Qt::AlignRight);
    eDstPwd = MakeEdit(g, "eDstPwd", Q(s.dstPassword), 112, 81, 121);
    eDstPwd->setEchoMode(QLineEdit::Password);
    Label9 = MakeLabel(g, "Label9", "Code page", 12, 133, 94, Qt::AlignRight);
    cbDstCodePage = MakeCombo(g, "cbDstCodePage", ToStringList(engine::CodePages()), Q(s.dstCodePage), 112, 126, 121);
    Label11 = MakeLabel(g, "Label11", "Page size", 12, 154, 94, Qt::AlignRight);
    cbDstPageSize = MakeCombo(g, "cbDstPageSize", ToStringList(engine::PageSizes()), Q(s.pageSize), 112, 150, 121);
    Label12 = MakeLabel(g, "Label12", "SQL dialect", 12, 178, 94, Qt::AlignRight);
    // The connection test sets it to the source's dialect.
    cbSQLDialect = MakeCombo(g, "cbSQLDialect", {"1", "3"}, "3", 112, 174, 53);

    Shape1 = MakeShape(g, "Shape1", 259, 56, 148, 113);
    Label38 = MakeLabel(g, "Label38", "Database objects to copy from source:", 266, 63, 134, Qt::AlignHCenter);
    Label38->setWordWrap(true);
    Label38->setGeometry(266, 63, 134, 29);
    QFont bold = Label38->font();
    bold.setBold(true);
    Label38->setFont(bold);
    RadioButton1 = MakeRadio(g, "RadioButton1", "Copy all the DB objects", s.copyAll, 266, 105, 134);
    RadioButton2 = MakeRadio(g, "RadioButton2", "Custom copy", !s.copyAll, 266, 133, 113);
    // Drawn transparent over the white shape.
    cbCopyAllDatabaseObjects = MakeCheck(g, "cbCopyAllDatabaseObjects", "Just clone", s.copyAll, 269, 149, 71);
    SetWhiteBackground(cbCopyAllDatabaseObjects);
    cbCopyAllDatabaseObjects->hide();

    cbDstReplace = MakeCheck(g, "cbDstReplace", "Replase the database if such one already exists", s.dstReplace, 114,
                             225, 272);
    cbCreateRole = MakeCheck(g, "cbCreateRole", "Inherite source roles", s.createRoles, 114, 241, 161);
    cbGrant = MakeCheck(g, "cbGrant", "Inherite source user's access rights", s.grant, 114, 257, 223);
    cbGrant->setEnabled(s.createRoles);  // privileges go only together with roles

    ChainTabOrder({RBlocalD, RBremoteD, eRemoteServerNameD, eDst, eDstUser, eDstPwd, cbDstCodePage, cbDstPageSize,
                   cbSQLDialect, cbDstReplace, cbCreateRole, cbGrant, cbCopyAllDatabaseObjects, RadioButton1,
                   RadioButton2});
}

void Twizard_Dravik::BuildFramePages() {
    engine::TCloneJob& job = *job_;
    Frame_select_udf = new TFrameView(job.Frame_select_udf, "Frame_select_udf", page2);
    Frame_select_domain = new TFrameView(job.Frame_select_domain, "Frame_select_domain", page3);
    Frame_select_generator = new TFrameGeneratorView(job.Frame_select_generator, job.settings, page4);
    Frame_select_exception = new TFrameView(job.Frame_select_exception, "Frame_select_exception", page5);
    Frame_select_procedure = new TFrameView(job.Frame_select_procedure, "Frame_select_procedure", page6);
    Frame_select_table1 = new TFrameView(job.Frame_select_table1, "Frame_select_table1", page7);
    Frame_select_view = new TFrameView(job.Frame_select_view, "Frame_select_view", page8);
    Frame_select_data = new TFrameDataView(job.Frame_select_data, job.settings, page9);
}

std::vector<TFrameView*> Twizard_Dravik::FrameViews() const {
    return {Frame_select_udf,       Frame_select_domain, Frame_select_generator, Frame_select_exception,
            Frame_select_procedure, Frame_select_table1, Frame_select_view,      Frame_select_data};
}

void Twizard_Dravik::BuildLogPages() {
    m_log = new TRichLog(pagen);
    m_log->setObjectName("m_log");
    m_log->setGeometry(4, 7, 441, 370);
    m_log->SetLines({
        "The wizard has collected all the information it needs to create the database clon.",
        "The next step is clone process.",
        "It can take time, that depends on amount of your data.",
        "If the params of copy process respond your requirements click the \"Next\" button ",
        "to start the clone process.",
        "If you wish to chainge something please go back and make the changes you need",
    });
    r_Log = new TRichLog(pager);
    r_Log->setObjectName("r_Log");
    r_Log->setGeometry(4, 8, 441, 369);
}

}  // namespace dravik::wizard
