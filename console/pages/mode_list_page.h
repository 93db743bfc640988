// The list pages whose rows carry a mode (TYPE, shown in the last column): the IP
// address, computer name and MAC address pages. A page names its column titles and
// its dialog class, which is made with the page and the default-allow flag to add a
// row, and with the row to edit it.
#pragma once

#include "console/pages/list_page.h"

template <typename Page, typename Row, typename Dialog> class ModeListPage : public ListPage<Row> {
protected:
    template <size_t N>
    ModeListPage(const ListPageControls& controls, typename ListPage<Row>::RowList rows,
                 typename ListPage<Row>::Flag enableFlag, typename ListPage<Row>::Flag defaultFlag,
                 const ListPageHelp& help, const char* const (&titles)[N])
        : ListPage<Row>(controls, rows, enableFlag, defaultFlag, help), titles_(titles),
          columns_(static_cast<int>(N)) {
        static_assert(N <= static_cast<size_t>(ListPage<Row>::MAX_COLUMNS), "too many columns");
    }

    int ColumnCount() const override { return columns_; }
    const char* ColumnTitle(int column) const override {
        return column >= 0 && column < columns_ ? titles_[column] : "";
    }
    void RunAddDialog() override {
        Dialog dialog(static_cast<Page&>(*this), this->DefaultAllowFlag());
        dialog.DoModal(this->hwnd());
    }
    void RunEditDialog(Row& row) override {
        Dialog dialog(row);
        dialog.DoModal(this->hwnd());
    }

private:
    const char* const* titles_;
    int columns_;
};
