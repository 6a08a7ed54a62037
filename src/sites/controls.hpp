#pragma once

// What the flows need of the windows, and nothing more: the application wires
// these to its widgets, the tests and the console tool to plain objects.

#include "text/text.hpp"

namespace orvu {

class ComboBox {
  public:
    virtual ~ComboBox() = default;
    virtual int current_item() const = 0;  // 0-based; -1 when nothing is selected
};

class EditBox {
  public:
    virtual ~EditBox() = default;
    virtual Text text() const = 0;
    virtual void set_text(const Text& text) = 0;
};

class ListView {
  public:
    virtual ~ListView() = default;
    virtual int selected_row() const = 0;  // the first selected row; -1 for none
    virtual int insert_row() = 0;          // appends an empty row, gives its 0-based index
    virtual void set_cell(int row, int column, const Text& text) = 0;
    virtual Text cell(int row, int column) const = 0;
    virtual void delete_all_rows() = 0;
};

enum class MessageIcon { none, stop };

// A box with a single OK button under the caption "信息："; returns once closed.
class MessageBox {
  public:
    virtual ~MessageBox() = default;
    virtual void show(const Text& text, MessageIcon icon) = 0;
};

// The download window's hidden browser: setting the address starts a navigation.
class Browser {
  public:
    virtual ~Browser() = default;
    virtual void set_address(const Text& address) = 0;
};

// Opens the download prompt on an address (a UTF-16 value ending in a zero unit).
class DownloadPrompt {
  public:
    virtual ~DownloadPrompt() = default;
    virtual void open(const Bytes& utf16_address) = 0;
};

// Opens the download window: a new one runs list_download_links before it is
// shown; an open one is only brought forward.
class DownloadWindowOpener {
  public:
    virtual ~DownloadWindowOpener() = default;
    virtual void open_download_window() = 0;
};

class Caption {
  public:
    virtual ~Caption() = default;
    virtual void set_caption(const Text& caption) = 0;
};

}  // namespace orvu
