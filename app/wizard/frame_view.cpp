#include "app/wizard/frame_view.h"

#include "app/wizard/pictures.h"

namespace dravik::wizard {

namespace {

QToolButton* ArrowButton(QWidget* parent, const char* name, int top, ArrowDirection direction, int arrows) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setGeometry(192, top, 23, 22);
    button->setAutoRaise(true);  // flat until the mouse is over it
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(ArrowIcon(direction, arrows));
    return button;
}

controls::TQorListView* List(QWidget* parent, const char* name, int left, controls::TQorListItems& items,
                             const QString& column) {
    auto* list = new controls::TQorListView(parent);
    list->setObjectName(name);
    list->setGeometry(left, 40, 180, 293);
    list->SetItems(&items);
    list->SetColumn(column, 155);
    return list;
}

}  // namespace

TFrameView::TFrameView(frames::TFrame_select& frame, const QString& name, QWidget* parent)
    : QWidget(parent), frame_(frame) {
    setObjectName(name);
    setGeometry(0, 0, 448, 380);

    Label1 = new QLabel(QString::fromStdString(frame.Title()), this);
    Label1->setObjectName("Label1");
    QFont title = font();
    title.setPixelSize(19);
    title.setBold(true);
    Label1->setFont(title);
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    Label1->setPalette(red);
    Label1->move(20, 8);
    Label1->adjustSize();

    srcList = List(this, "srcList", 4, frame.srcList, "Source");
    dstList = List(this, "dstList", 220, frame.dstList, "Going to be copied ");
    btn_select = ArrowButton(this, "btn_select", 120, ArrowDirection::Right, 1);
    btn_selectAll = ArrowButton(this, "btn_selectAll", 142, ArrowDirection::Right, 2);
    btn_deselect = ArrowButton(this, "btn_deselect", 175, ArrowDirection::Left, 1);
    btn_deselectAll = ArrowButton(this, "btn_deselectAll", 197, ArrowDirection::Left, 2);
    setTabOrder(srcList, dstList);

    connect(btn_select, &QToolButton::clicked, this, [this] { btn_selectClick(); });
    connect(btn_selectAll, &QToolButton::clicked, this, [this] { btn_selectAllClick(); });
    connect(btn_deselect, &QToolButton::clicked, this, [this] { btn_deselectClick(); });
    connect(btn_deselectAll, &QToolButton::clicked, this, [this] { btn_deselectAllClick(); });
    connect(srcList, &controls::TQorListView::DblClick, this, [this] { btn_selectClick(); });
    connect(dstList, &controls::TQorListView::DblClick, this, [this] { btn_deselectClick(); });
}

void TFrameView::Refresh() {
    srcList->Refresh();
    dstList->Refresh();
}

void TFrameView::btn_selectClick() {
    frame_.btn_selectClick();
    Refresh();
}

void TFrameView::btn_selectAllClick() {
    frame_.btn_selectAllClick();
    Refresh();
}

void TFrameView::btn_deselectClick() {
    frame_.btn_deselectClick();
    Refresh();
}

void TFrameView::btn_deselectAllClick() {
    frame_.btn_deselectAllClick();
    Refresh();
}

TFrameGeneratorView::TFrameGeneratorView(frames::TFrame_select_generator& frame, engine::JobSettings& settings,
                                         QWidget* parent)
    : TFrameView(frame, "Frame_select_generator", parent) {
    cbGenID = new QCheckBox("Use the current value of generator", this);
    cbGenID->setObjectName("cbGenID");
    cbGenID->setGeometry(20, 344, 313, 17);
    cbGenID->setChecked(settings.useGeneratorValues);
    connect(cbGenID, &QCheckBox::toggled, this, [&settings](bool on) { settings.useGeneratorValues = on; });
    setTabOrder(dstList, cbGenID);
}

TFrameDataView::TFrameDataView(frames::TFrame_select_data& frame, engine::JobSettings& settings, QWidget* parent)
    : TFrameView(frame, "Frame_select_data", parent) {
    srcList->resize(srcList->width(), 273);
    dstList->resize(dstList->width(), 273);

    cbIgnoreError = new QCheckBox("ignore the errors", this);
    cbIgnoreError->setObjectName("cbIgnoreError");
    cbIgnoreError->setGeometry(20, 320, 197, 17);
    cbIgnoreError->setChecked(settings.ignoreErrors);
    connect(cbIgnoreError, &QCheckBox::toggled, this, [&settings](bool on) { settings.ignoreErrors = on; });

    Label2 = new QLabel("commit each", this);
    Label2->setObjectName("Label2");
    Label2->setGeometry(21, 344, 92, 13);

    eCommitCount = new QSpinBox(this);
    eCommitCount->setObjectName("eCommitCount");
    eCommitCount->setGeometry(122, 340, 57 + 15, 21);
    eCommitCount->setRange(0, 32767);
    eCommitCount->setSingleStep(10);
    eCommitCount->setWrapping(false);
    eCommitCount->setValue(settings.commitEvery);
    connect(eCommitCount, &QSpinBox::valueChanged, this, [&settings](int value) { settings.commitEvery = value; });

    Label3 = new QLabel("records", this);
    Label3->setObjectName("Label3");
    Label3->move(202, 344);
    Label3->adjustSize();

    setTabOrder(dstList, eCommitCount);
    setTabOrder(eCommitCount, cbIgnoreError);
}

}  // namespace dravik::wizard
