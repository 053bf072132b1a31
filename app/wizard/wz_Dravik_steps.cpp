// The step indicator: the panel on the left whose labels name the wizard's
// pages and the job's steps, the current one in red bold.
#include "app/engine/steps.h"
#include "app/wizard/form_widgets.h"
#include "app/wizard/wz_Dravik.h"

namespace dravik::wizard {

namespace {

const QColor kStepGrey(128, 128, 128);
const QColor kStepRed(255, 0, 0);

struct StepLabel {
    const char* name;
    int top;
    const char* caption;
};

// The labels of the panel from top to bottom (the two headings apart).
constexpr StepLabel kStepLabels[] = {
    {"Label15", 31, "Source database"},   {"Label16", 43, "Target database"},
    {"Label17", 55, "UDF"},               {"Label18", 67, "Domains"},
    {"Label19", 79, "Generators"},        {"Label20", 91, "Exceptions"},
    {"Label21", 103, "Procedures"},       {"Label22", 115, "Tables"},
    {"Label23", 127, "Views"},            {"Label24", 139, "Data"},
    {"Label25", 151, "Resume"},           {"Label26", 191, "Database creation"},
    {"Label27", 203, "UDF registration"}, {"Label28", 215, "Domains creation"},
    {"Label36", 227, "Generators creation"}, {"Label37", 239, "Registration of exceptions"},
    {"Label29", 251, "Registration of procedures"}, {"Label30", 263, "Tables creation"},
    {"Label31", 275, "Views creation"},   {"Label32", 287, "Data copy process"},
    {"Label34", 299, "Procedures"},       {"Label33", 311, "Triggers and keys"},
    {"Label35", 323, "Roles and rights"},
};

void SetLabelLook(QLabel* label, const QColor& colour, bool bold) {
    SetTextColour(label, colour);
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
}

}  // namespace

void Twizard_Dravik::BuildStepPanel() {
    Panel3 = new QFrame(this);
    Panel3->setObjectName("Panel3");
    Panel3->setFrameShape(QFrame::StyledPanel);
    Panel3->setGeometry(0, 0, 197, 408);
    SetTextColour(Panel3, kStepGrey);
    Shape2 = MakeShape(Panel3, "Shape2", 7, 7, 183, 358);

    l_prepare = MakeLabel(Panel3, "l_prepare", "Information the wizard needs", 15, 15);
    L_build = MakeLabel(Panel3, "L_build", "Database copy creation", 15, 175);
    for (QLabel* heading : {l_prepare, L_build}) {
        SetLabelLook(heading, kStepGrey, true);
        heading->resize(170, heading->height());  // room for the bold text
    }
    for (const StepLabel& step : kStepLabels) {
        QLabel* label = MakeLabel(Panel3, step.name, step.caption, 39, step.top);
        SetLabelLook(label, kStepGrey, false);
        label->resize(148, label->height());  // room for the bold (highlighted) text
    }
    Label25 = Panel3->findChild<QLabel*>("Label25");
    QFont underlined = Label25->font();
    underlined.setUnderline(true);
    Label25->setFont(underlined);
}

void Twizard_Dravik::BuildStepList() {
    stepList_.clear();
    for (const engine::Step& step : engine::StepList())
        stepList_.emplace_back(step.code, Panel3->findChild<QLabel*>(QString::fromStdString(step.label)));
}

void Twizard_Dravik::ShowStep(const std::string& code) {
    const bool preparing = CurrentPageIndex() < kPageSummary;
    SetLabelLook(l_prepare, l_prepare->palette().color(QPalette::WindowText), preparing);
    SetLabelLook(L_build, L_build->palette().color(QPalette::WindowText), !preparing);
    if (stepList_.empty()) return;

    const QColor grey = l_prepare->palette().color(QPalette::WindowText);
    for (const auto& [stepCode, label] : stepList_)
        if (label) SetLabelLook(label, grey, false);
    const int found = engine::FindStep(code);
    if (found >= 0 && stepList_[static_cast<size_t>(found)].second)
        SetLabelLook(stepList_[static_cast<size_t>(found)].second, kStepRed, true);
}

}  // namespace dravik::wizard
