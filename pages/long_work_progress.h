// A progress dialog (rows done of rows total) that appears only once long work has taken
// about half a second, on top of the hourglass.
#pragma once
#include <QElapsedTimer>
#include <QString>
#include <memory>

class QProgressDialog;
class QWidget;

namespace vts {

class LongWorkProgress {
public:
    LongWorkProgress(QWidget* parent, QString label);
    ~LongWorkProgress();
    LongWorkProgress(const LongWorkProgress&) = delete;
    LongWorkProgress& operator=(const LongWorkProgress&) = delete;

    void update(long done, long total);
    bool shown() const { return dialog_ != nullptr; }

    // The dialog while it shows (tests look at it).
    const QProgressDialog* dialog() const { return dialog_.get(); }

private:
    QString rowsText(long done, long total) const;

    QWidget* parent_;
    QString label_;
    QElapsedTimer clock_;
    std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace vts
