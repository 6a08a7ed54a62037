#pragma once

// The controls the flows use, kept in memory: what the console tool and the
// tests drive the flows with, where the application uses its widgets.

#include <functional>
#include <vector>

#include "sites/controls.hpp"

namespace orvu {

class MemoryComboBox final : public ComboBox {
  public:
    explicit MemoryComboBox(int item = 0) : item_(item) {}
    int current_item() const override { return item_; }
    void select(int item) { item_ = item; }

  private:
    int item_;
};

class MemoryEditBox final : public EditBox {
  public:
    explicit MemoryEditBox(Text text = {}) : text_(std::move(text)) {}
    Text text() const override { return text_; }
    void set_text(const Text& text) override { text_ = text; }

  private:
    Text text_;
};

class MemoryListView final : public ListView {
  public:
    explicit MemoryListView(int columns) : columns_(columns) {}

    int selected_row() const override { return selected_; }
    int insert_row() override;
    void set_cell(int row, int column, const Text& text) override;
    Text cell(int row, int column) const override;
    void delete_all_rows() override;

    void select(int row) { selected_ = row; }
    const std::vector<std::vector<Text>>& rows() const { return rows_; }

  private:
    int columns_;
    int selected_ = -1;
    std::vector<std::vector<Text>> rows_;
};

struct ShownMessage {
    Text text;
    MessageIcon icon;
    friend bool operator==(const ShownMessage&, const ShownMessage&) = default;
};

// Keeps every message; a box "closes" at once.
class MessageLog final : public MessageBox {
  public:
    void show(const Text& text, MessageIcon icon) override { shown_.push_back({text, icon}); }
    const std::vector<ShownMessage>& shown() const { return shown_; }

  private:
    std::vector<ShownMessage> shown_;
};

class AddressLog final : public Browser, public DownloadPrompt {
  public:
    void set_address(const Text& address) override { browser_addresses_.push_back(address); }
    void open(const Bytes& utf16_address) override { prompt_addresses_.push_back(utf16_address); }
    const std::vector<Text>& browser_addresses() const { return browser_addresses_; }
    const std::vector<Bytes>& prompt_addresses() const { return prompt_addresses_; }

  private:
    std::vector<Text> browser_addresses_;
    std::vector<Bytes> prompt_addresses_;
};

class MemoryCaption final : public Caption {
  public:
    void set_caption(const Text& caption) override { caption_ = caption; }
    const Text& caption() const { return caption_; }

  private:
    Text caption_;
};

// Counts openings and runs what a new download window would run.
class CountingOpener final : public DownloadWindowOpener {
  public:
    explicit CountingOpener(std::function<void()> on_open = {}) : on_open_(std::move(on_open)) {}
    void open_download_window() override {
        ++openings_;
        if (on_open_) on_open_();
    }
    int openings() const { return openings_; }

  private:
    std::function<void()> on_open_;
    int openings_ = 0;
};

}  // namespace orvu
