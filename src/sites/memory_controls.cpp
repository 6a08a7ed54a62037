#include "sites/memory_controls.hpp"

namespace orvu {

int MemoryListView::insert_row() {
    rows_.emplace_back(static_cast<std::size_t>(columns_));
    return static_cast<int>(rows_.size()) - 1;
}

void MemoryListView::set_cell(int row, int column, const Text& text) {
    if (row < 0 || row >= static_cast<int>(rows_.size()) || column < 0 || column >= columns_) {
        return;
    }
    rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
}

Text MemoryListView::cell(int row, int column) const {
    if (row < 0 || row >= static_cast<int>(rows_.size()) || column < 0 || column >= columns_) {
        return {};
    }
    return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void MemoryListView::delete_all_rows() {
    rows_.clear();
    selected_ = -1;
}

}  // namespace orvu
