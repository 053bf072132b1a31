// The selection frames on the wizard's pages: widgets over the engine's
// frames. Each shows the frame's two item lists (offered and picked), the
// four arrow buttons and the double clicks that move items between them;
// the generator and data frames add their option controls, which show and
// write the job's settings.
#pragma once

#include "app/engine/settings.h"
#include "controls/qt/QorListView.h"
#include "frames/fr_select.h"
#include "frames/fr_select_data.h"
#include "frames/fr_select_generator.h"

#include <QCheckBox>
#include <QLabel>
#include <QSpinBox>
#include <QToolButton>
#include <QWidget>

namespace dravik::wizard {

class TFrameView : public QWidget {
    Q_OBJECT
public:
    TFrameView(frames::TFrame_select& frame, const QString& name, QWidget* parent);

    frames::TFrame_select& Frame() const { return frame_; }

    QLabel* Label1;  // the frame's title
    controls::TQorListView* srcList;
    controls::TQorListView* dstList;
    QToolButton* btn_select;
    QToolButton* btn_selectAll;
    QToolButton* btn_deselect;
    QToolButton* btn_deselectAll;

    // Shows the lists as the engine frame holds them now.
    void Refresh();

    void btn_selectClick();
    void btn_selectAllClick();
    void btn_deselectClick();
    void btn_deselectAllClick();

private:
    frames::TFrame_select& frame_;
};

// The generator frame: "Use the current value of generator".
class TFrameGeneratorView : public TFrameView {
    Q_OBJECT
public:
    TFrameGeneratorView(frames::TFrame_select_generator& frame, engine::JobSettings& settings, QWidget* parent);
    QCheckBox* cbGenID;
};

// The data frame: "ignore the errors" and "commit each ... records".
class TFrameDataView : public TFrameView {
    Q_OBJECT
public:
    TFrameDataView(frames::TFrame_select_data& frame, engine::JobSettings& settings, QWidget* parent);
    QCheckBox* cbIgnoreError;
    QLabel* Label2;
    QSpinBox* eCommitCount;  // the edit with its spin buttons (UpDown1)
    QLabel* Label3;
};

}  // namespace dravik::wizard
