#include "pages/long_work_progress.h"

#include <QProgressDialog>
#include <algorithm>

#include "platform/ui/qt_dialogs.h"

namespace vts {

LongWorkProgress::LongWorkProgress(QWidget* parent, QString label) : parent_(parent), label_(std::move(label)) {
    clock_.start();
}

LongWorkProgress::~LongWorkProgress() = default;

QString LongWorkProgress::rowsText(long done, long total) const {
    return label_ + QString("\n%L1 of %L2 rows").arg(done).arg(total);
}

void LongWorkProgress::update(long done, long total) {
    if (!dialog_) {
        if (clock_.elapsed() < 500 || done >= total) return;
        dialog_ = std::make_unique<QProgressDialog>(label_, QString(), 0, 1000, parent_);
        dialog_->setWindowTitle("Verdalith Table Studio");
        dialog_->setMinimumDuration(0);
        dialog_->setCancelButton(nullptr);
        dialog_->setWindowModality(Qt::WindowModal);
        // Room for the caption and for the row counts that the label gains below.
        QFont titleFont = dialog_->font();
        titleFont.setBold(true);
        dialog_->setMinimumWidth(QFontMetrics(titleFont).horizontalAdvance(dialog_->windowTitle()) +
                                 kCaptionDecoration);
        dialog_->setLabelText(rowsText(total, total));
        dialog_->adjustSize();
        dialog_->show();
    }
    // Scaled to 1000 steps: QProgressDialog counts in int.
    const int value = total > 0 ? static_cast<int>(std::min<long long>(1000, 1000LL * done / total)) : 0;
    dialog_->setLabelText(rowsText(done, total));
    dialog_->setValue(value);
}

}  // namespace vts
