#include "app/wizard/form_widgets.h"

#include <QPainter>

#include <algorithm>

namespace dravik::wizard {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top, int width,
                  Qt::Alignment align) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(align | Qt::AlignTop);
    label->adjustSize();
    if (width <= 0) {
        label->move(left, top);
        return label;
    }
    // A text wider than designed (another font) grows away from the
    // aligned edge.
    const int needed = std::max(width, label->sizeHint().width());
    int x = left;
    if (align & Qt::AlignRight) x = left + width - needed;
    if (align & Qt::AlignHCenter) x = left - (needed - width) / 2;
    label->setGeometry(x, top, needed, label->height());
    return label;
}

void TGroupBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int lineTop = metrics.height() / 2;
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, lineTop, -1, -1));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(rect().adjusted(1, lineTop + 1, -2, -2));
    const QRect titleRect(7, 0, metrics.horizontalAdvance(title()) + 4, metrics.height());
    painter.fillRect(titleRect, palette().color(QPalette::Window));
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(titleRect, Qt::AlignCenter, title());
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QString& text, int left, int top, int width,
                    int height) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    edit->setGeometry(left, top, width, height);
    return edit;
}

QComboBox* MakeCombo(QWidget* parent, const char* name, const QStringList& items, const QString& text, int left,
                     int top, int width) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);  // typed text is used as it is, not added
    combo->addItems(items);
    combo->setCurrentText(text);
    combo->setGeometry(left, top, width, 21);
    return combo;
}

QCheckBox* MakeCheck(QWidget* parent, const char* name, const QString& text, bool checked, int left, int top,
                     int width, int height) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(name);
    box->setChecked(checked);
    box->setGeometry(left, top, std::max(width, box->sizeHint().width()), height);
    return box;
}

QRadioButton* MakeRadio(QWidget* parent, const char* name, const QString& text, bool checked, int left, int top,
                        int width, int height) {
    auto* button = new QRadioButton(text, parent);
    button->setObjectName(name);
    button->setChecked(checked);
    button->setGeometry(left, top, std::max(width, button->sizeHint().width()), height);
    return button;
}

QGroupBox* MakeGroup(QWidget* parent, const char* name, const QString& title, int left, int top, int width,
                     int height) {
    auto* group = new TGroupBox(title, parent);
    group->setObjectName(name);
    group->setGeometry(left, top, width, height);
    return group;
}

QFrame* MakeShape(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* shape = new QFrame(parent);
    shape->setObjectName(name);
    shape->setFrameShape(QFrame::Box);
    shape->setFrameShadow(QFrame::Plain);
    shape->setLineWidth(1);
    QPalette p = shape->palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    shape->setPalette(p);
    shape->setAutoFillBackground(true);
    shape->setGeometry(left, top, width, height);
    shape->lower();
    return shape;
}

QFrame* MakeBevelLine(QWidget* parent, const char* name, int left, int top, int width) {
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(left, top, width, 2);
    return line;
}

void SetTextColour(QWidget* widget, const QColor& colour) {
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::Text, colour);
    widget->setPalette(p);
}

void SetBaseColour(QWidget* widget, const QColor& colour) {
    QPalette p = widget->palette();
    p.setColor(QPalette::Base, colour);
    widget->setPalette(p);
}

void SetWhiteBackground(QWidget* widget) {
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, Qt::white);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

void ChainTabOrder(std::initializer_list<QWidget*> widgets) {
    QWidget* previous = nullptr;
    for (QWidget* w : widgets) {
        if (previous) QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

}  // namespace dravik::wizard
