// The table chooser: lists the tables of the Paradox folder; Next imports the chosen one into
// the working database and binds the grid editor's grid to it.
#pragma once
#include <QPushButton>
#include <QTreeWidget>
#include <QWidget>
#include <functional>

#include "app/form_pointer.h"
#include "bridge/table_list.h"
#include "pages/page_state.h"
#include "platform/shell/app_context.h"
#include "platform/shell/error_trap.h"

namespace vts {

class Form3;

struct Form2Services {
    std::function<void()> showForm1;
    std::function<Form3&()> showForm3;  // loads the grid editor the first time
};

// The list view as the discovery fills it; each item keeps its table's folder.
class ListViewTables : public TableList {
public:
    explicit ListViewTables(QTreeWidget* view) : view_(view) {}
    void clear() override { view_->clear(); }
    void add(const std::string& text, const std::string& folder) override;
    int count() const override { return view_->topLevelItemCount(); }
    std::string text(int i) const override { return nameOf(view_->topLevelItem(i)); }
    std::string folder(int i) const override { return folderOf(view_->topLevelItem(i)); }
    static std::string nameOf(const QTreeWidgetItem* item);
    static std::string folderOf(const QTreeWidgetItem* item);
    // Sorts the tables by name (then folder) and shows, beside each name found in more than one
    // folder, its folder as seen from `top`.
    void arrange(const std::string& top);

private:
    QTreeWidget* view_;
};

class Form2 : public QWidget {
public:
    Form2(AppContext& ctx, PageState& state, Form2Services services);

    void Form_Load();
    void PushButton2_Click();  // Back
    void PushButton3_Click();  // Next
    // Shown again: a list filled for another folder than the folder page names now is refilled.
    void Form_Activate();

    FormPointer& pointer() { return pointer_; }
    // 1-based position of the selected item, 0 when none.
    int selectedIndex() const;
    // Selects the first item of the table `name`, if the list holds one.
    void chooseTable(const std::string& name);

    QTreeWidget* ListView1;
    QPushButton* PushButton2;
    QPushButton* PushButton3;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void buildControls();
    void fillList(ErrorTrap& trap);
    bool claimTable(const std::string& name, const std::string& folder);
    bool mayReplaceWorkingTable(ErrorTrap& trap, bool& keepEdits);
    // Asks for the password of a protected chosen table; false when it is not given or wrong.
    bool unlockTable(ErrorTrap& trap, std::string& password);
    void endAfterClose(bool discardCopy);
    struct ImportGivenUp {};

    AppContext& ctx_;
    PageState& state_;
    Form2Services services_;
    FormPointer pointer_;
    bool busy_ = false;        // while Next imports a table
    bool closeAsked_ = false;  // the window was closed during the import: it is given up, then the program ends
    std::string filledFor_;    // the folder text the list was filled for
};

}  // namespace vts
