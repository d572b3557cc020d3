// The grid page's find bar (Ctrl+F): a line for the text, Next and Previous, and a note that
// says when the search went round the end or found nothing. Escape closes it.
#pragma once
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace vts {

class DataGridView;

class FindBar : public QWidget {
public:
    FindBar(QWidget* parent, DataGridView& grid);

    void open();     // shows the bar with its text selected
    void dismiss();  // hides it and gives the grid the focus
    void findNext(bool forward);

    QLineEdit* text;
    QPushButton* next;
    QPushButton* previous;
    QLabel* note;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    DataGridView& grid_;
};

}  // namespace vts
