// TWizard: the generic wizard form. A stack of pages without tabs, stepped
// through with "<< Prev" and "Next >>", and a button bar along the bottom
// ("<< Prev", "Next >>", "Finish", "Cancel"). The clone wizard derives from it.
#pragma once

#include <QFrame>
#include <QPushButton>
#include <QStackedWidget>
#include <QString>
#include <QWidget>

#include <exception>
#include <vector>

namespace dravik::wizard {

class TWizard : public QWidget {
    Q_OBJECT
public:
    explicit TWizard(QWidget* parent = nullptr);

    QFrame* Panel1;  // the bottom bar
    QFrame* Panel2;  // right-aligned inside Panel1, holds the buttons
    QPushButton* btnPrev;
    QPushButton* btnNext;
    QPushButton* btnFinish;
    QPushButton* btnCancel;
    QStackedWidget* pages;

    // Index of the active page, -1 before any page was shown.
    virtual int CurrentPageIndex() const { return current_; }
    // Shows page i when it exists, then updates the buttons.
    virtual void GoToPage(int index);
    virtual void UpdateButtons();

    int PageCount() const { return static_cast<int>(captions_.size()); }
    // A page's caption (its step code); pages show no tabs.
    QString PageCaption(int index) const;
    // Appends a page; returns its index.
    int AddPage(QWidget* page, const QString& caption);

    void btnPrevClick();
    void btnNextClick();
    void pagesChange() { UpdateButtons(); }

    // Set when "Finish" (Accepted) or "Cancel" (Rejected) closed the base form.
    enum class Result { None, Accepted, Rejected };
    Result ModalResult() const { return result_; }

protected:
    void FormCreate();
    // Runs an event handler; an error escaping it is reported, not propagated
    // into Qt's event loop.
    template <typename Handler>
    void Guarded(Handler handler) {
        try {
            handler();
        } catch (const std::exception& e) {
            ReportError(QString::fromUtf8(e.what()));
        }
    }
    // The application's report of an error no handler caught.
    virtual void ReportError(const QString& message);

private:
    std::vector<QString> captions_;
    int current_ = -1;
    Result result_ = Result::None;
};

}  // namespace dravik::wizard
