// Twizard_Dravik: the clone wizard. Twelve pages (source, destination, eight
// selection frames, summary, run), the step indicator on the left, and the
// clone job underneath (engine::TCloneJob), which the window drives and
// which reports back through the JobUi operations and the two logs.
//
// The controls are public, as on a designer form, so that tests and the
// screenshot command can reach them by their names.
#pragma once

#include "app/engine/clone_job.h"
#include "app/wizard/frame_view.h"
#include "app/wizard/rich_log.h"
#include "app/wizard/window_loss.h"
#include "app/wizard/wz.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace dravik::wizard {

// What a file button asks of its dialog.
struct FileRequest {
    bool save = false;        // SaveDialog (destination) or OpenDialog (source)
    QString filter;           // "Firebird and InterBase databases (*.fdb *.gdb)|*.fdb;*.gdb|All files (*.*)|*.*"
    QString defaultExtension; // "*.gdb"
    QString directory;        // the folder of the path in the edit
    QString fileName;         // the path in the edit
};

// The window's message boxes and file dialogs. Tests (and the screenshot
// command) answer them without a modal loop; an empty member gets the
// standard QMessageBox or QFileDialog.
struct WizardDialogs {
    std::function<void(const QString&)> showMessage;
    std::function<bool(const QString&)> askYesNo;           // true for Yes
    std::function<QString(const FileRequest&)> chooseFile;  // empty when cancelled
};

class Twizard_Dravik : public TWizard, public engine::JobUi {
    Q_OBJECT
public:
    // Page indices.
    static constexpr int kPageSource = 0;       // page0, P_SRC
    static constexpr int kPageDestination = 1;  // page1, P_DST
    static constexpr int kPageSummary = 10;     // pagen
    static constexpr int kPageRun = 11;         // pager
    // Pending events run at most this often while the job works (milliseconds).
    static constexpr int kEventInterval = 100;
    int eventInterval = kEventInterval;  // tests that need every turn set 0

    explicit Twizard_Dravik(WizardDialogs dialogs = {}, QWidget* parent = nullptr);
    ~Twizard_Dravik() override;

    engine::TCloneJob& Job() { return *job_; }

    WizardDialogs dialogs;

    // ---- navigation
    void GoToPage(int target) override;
    bool CheckSourceTested();
    bool CheckDestinationDefined(int target);
    void LoadFrames();
    // Loads the lists again only when the source fields changed since the
    // last load, so that going back and forth keeps the user's picks.
    void LoadFramesIfSourceChanged();
    // The page size field holds one of the offered sizes; else a message
    // naming the field, and false.
    bool CheckPageSize();
    void WriteJobSummary();
    void RunJob();
    // The report of the last job the window ran; none before the first, or
    // when an error no step guards ended it.
    const std::optional<engine::JobReport>& LastReport() const { return lastReport_; }
    void btnCancelClick();

    // ---- field handlers
    void ServerTypeChoise();
    void dst_local_or_remote();
    void whole_copy();
    void cbCreateRoleClick();
    void SrcWsaChanged();
    void btn_connection_testClick();
    void btn_src_databaseClick();
    void btn_dst_databaseClick();

    // ---- the job's side of the window (engine::JobUi)
    void ShowMessage(const std::string& text) override;
    void ShowStep(const std::string& code) override;
    void ProcessEvents() override;
    void SetNavigationEnabled(bool enabled) override;
    void JobFinished() override;
    // Copies the fields into the job's settings; done before every engine call.
    // The generator and data pages' options write the settings as they change.
    void CopySettings();

    const std::string& InitialSummaryText() const { return initialSummaryText_; }
    const std::string& InitialRunText() const { return initialRunText_; }
    // The selection frames in job order.
    std::vector<TFrameView*> FrameViews() const;

    // ---- pages
    QWidget *page0, *page1, *page2, *page3, *page4, *page5, *page6, *page7, *page8, *page9, *pagen, *pager;

    // ---- page0: the source
    QLabel* Label1;
    QGroupBox* src_srv_group;
    QRadioButton* RBlocal;
    QRadioButton* RBremote;
    QGroupBox* src_group;
    QFrame* Bevel1;
    QFrame* Bevel2;
    QLabel* Label13;
    QLabel* Label2;
    QLineEdit* eRemoteServerName;
    QLabel* Label39;
    QLineEdit* eSrc;
    QToolButton* btn_src_database;
    QLabel* Label3;
    QLineEdit* eSrcUser;
    QLabel* Label4;
    QLineEdit* eSrcPwd;
    QLabel* Label5;
    QComboBox* cbSrcCodePage;
    QPushButton* btn_connection_test;
    QLabel* Label41;
    QFrame* Shape3;
    QLabel* ImageSrcTested;

    // ---- page1: the destination
    QLabel* Label10;
    QGroupBox* dst_srv_group;
    QRadioButton* RBlocalD;
    QRadioButton* RBremoteD;
    QGroupBox* dst_group;
    QLabel* Label14;
    QLabel* Label6;
    QLineEdit* eRemoteServerNameD;
    QLabel* Label40;
    QLineEdit* eDst;
    QToolButton* btn_dst_database;
    QLabel* Label7;
    QLineEdit* eDstUser;
    QLabel* Label8;
    QLineEdit* eDstPwd;
    QLabel* Label9;
    QComboBox* cbDstCodePage;
    QLabel* Label11;
    QComboBox* cbDstPageSize;
    QLabel* Label12;
    QComboBox* cbSQLDialect;
    QFrame* Shape1;
    QLabel* Label38;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QCheckBox* cbCopyAllDatabaseObjects;
    QCheckBox* cbDstReplace;
    QCheckBox* cbCreateRole;
    QCheckBox* cbGrant;

    // ---- pages 2 to 9: the selection frames
    TFrameView* Frame_select_udf;
    TFrameView* Frame_select_domain;
    TFrameGeneratorView* Frame_select_generator;
    TFrameView* Frame_select_exception;
    TFrameView* Frame_select_procedure;
    TFrameView* Frame_select_table1;
    TFrameView* Frame_select_view;
    TFrameDataView* Frame_select_data;

    // ---- the two logs
    TRichLog* m_log;  // summary
    TRichLog* r_Log;  // run

    // ---- the step indicator
    QFrame* Panel3;
    QFrame* Shape2;
    QLabel* l_prepare;  // "Information the wizard needs"
    QLabel* L_build;    // "Database copy creation"
    QLabel* Label25;    // "Resume"
    // The labels of the step list, in its order, with their codes.
    const std::vector<std::pair<std::string, QLabel*>>& StepLabels() const { return stepList_; }

protected:
    void closeEvent(QCloseEvent* event) override;  // FormClose
    void ReportError(const QString& message) override;

private:
    // Form layout, one builder per region.
    void CreatePages();
    void BuildSourcePage();
    void BuildDestinationPage();
    void BuildFramePages();
    void BuildLogPages();
    void BuildStepPanel();
    void ConnectHandlers();
    void FormCreate();
    void BuildStepList();
    void InstallDefaultDialogs();
    // SIGINT and SIGTERM (when the program installed its handlers) stop the
    // job and close the window, as the command line stops.
    void WatchStopSignals();
    // The window destroyed from outside (X11) stops the job and ends the
    // program as a signal does.
    void WatchWindowLoss();
    void StopOnSignal();
    // The run log's last line after a job with red lines: their number, in red.
    void WriteErrorCount();
    QString ChooseDatabaseFile(bool save, const QString& path);

    std::unique_ptr<engine::TCloneJob> job_;
    std::unique_ptr<WindowLossFilter> windowLoss_;
    std::vector<std::pair<std::string, QLabel*>> stepList_;
    std::string initialSummaryText_;
    std::string initialRunText_;
    QElapsedTimer eventClock_;
    std::optional<engine::JobReport> lastReport_;
    std::vector<std::string> loadedSource_;  // server, path, user, password of the lists' source
};

// The form's font: "MS Sans Serif" where it exists, else a narrow sans
// serif, 11 pixels high.
QFont FormFont();

}  // namespace dravik::wizard
