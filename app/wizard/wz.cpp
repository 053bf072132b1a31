#include "app/wizard/wz.h"

#include <QMessageBox>
#include <QShortcut>

namespace dravik::wizard {

namespace {

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, int left) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(left, 4, 75, 25);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

TWizard::TWizard(QWidget* parent) : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("Wizard");
    setWindowTitle("Wizard");
    setFixedSize(472, 323);

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setGeometry(0, height() - 35, width(), 35);
    Panel2 = new QFrame(Panel1);
    Panel2->setObjectName("Panel2");
    Panel2->setFrameShape(QFrame::NoFrame);
    Panel2->setGeometry(width() - 312, 0, 312, 35);

    btnPrev = MakeButton(Panel2, "btnPrev", "<< Prev", 4);
    btnNext = MakeButton(Panel2, "btnNext", "Next >>", 80);
    btnFinish = MakeButton(Panel2, "btnFinish", "Finish", 156);
    btnCancel = MakeButton(Panel2, "btnCancel", "Cancel", 232);
    setTabOrder(btnPrev, btnNext);
    setTabOrder(btnNext, btnFinish);
    setTabOrder(btnFinish, btnCancel);

    pages = new QStackedWidget(this);
    pages->setObjectName("pages");
    pages->setFrameShape(QFrame::StyledPanel);
    pages->setGeometry(0, 0, width(), height() - 35);

    connect(btnPrev, &QPushButton::clicked, this, [this] { Guarded([this] { btnPrevClick(); }); });
    connect(btnNext, &QPushButton::clicked, this, [this] { Guarded([this] { btnNextClick(); }); });
    connect(btnFinish, &QPushButton::clicked, this, [this] {
        result_ = Result::Accepted;
        close();
    });
    connect(btnCancel, &QPushButton::clicked, this, [this] {
        result_ = Result::Rejected;
        close();
    });
    connect(pages, &QStackedWidget::currentChanged, this, [this] { pagesChange(); });
    // Esc presses "Cancel".
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, btnCancel, &QPushButton::click);
}

void TWizard::FormCreate() { UpdateButtons(); }

void TWizard::UpdateButtons() {
    const int i = CurrentPageIndex();
    const int n = PageCount();
    btnPrev->setEnabled(i > 0);
    btnNext->setEnabled(i < n - 1);
    btnFinish->setEnabled(i == n - 1);
    btnCancel->setEnabled(true);
}

void TWizard::GoToPage(int index) {
    if (index < 0 || index >= PageCount()) return;
    current_ = index;
    pages->setCurrentIndex(index);
    UpdateButtons();
}

void TWizard::btnPrevClick() {
    const int i = CurrentPageIndex();
    if (i > 0) GoToPage(i - 1);
}

void TWizard::btnNextClick() {
    const int i = CurrentPageIndex();
    if (i < PageCount() - 1) GoToPage(i + 1);
}

QString TWizard::PageCaption(int index) const {
    return index >= 0 && index < PageCount() ? captions_[static_cast<size_t>(index)] : QString();
}

int TWizard::AddPage(QWidget* page, const QString& caption) {
    pages->addWidget(page);
    captions_.push_back(caption);
    return PageCount() - 1;
}

void TWizard::ReportError(const QString& message) { QMessageBox::critical(this, windowTitle(), message); }

}  // namespace dravik::wizard
