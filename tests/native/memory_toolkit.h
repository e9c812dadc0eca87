// An in-memory WindowToolkit: controls as plain values, and a log of what was done.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "toolkit/window_toolkit.h"

class MemoryToolkit : public WindowToolkit {
public:
    struct Row {
        std::vector<Text> cells;
    };

    std::map<Control, Text> texts;
    std::map<Control, bool> disabled;
    std::map<Control, bool> checked;
    std::vector<Row> rows;
    int selection = -1;
    Text clipboard;
    bool clipboardHasText = false;
    bool clipboardLocked = false;  // another program holds the clipboard open
    bool insertFails = false;
    std::vector<Text> messageBoxes;
    std::map<Control, bool> redrawSuspended;
    int rowChangesWhileDrawn = 0;  // list changes made while the list repaints
    std::vector<std::string> log;  // one entry per call that changes something

    Text ReadText(Control control) override { return texts[control]; }
    void WriteText(Control control, const Text& text) override {
        texts[control] = text;
        log.push_back("WriteText");
    }
    void WriteCaption(Control control, const Text& caption) override {
        texts[control] = caption;
        log.push_back("WriteCaption");
    }
    void WriteDisabled(Control control, bool isDisabled) override {
        disabled[control] = isDisabled;
        log.push_back(isDisabled ? "Disable" : "Enable");
    }
    bool ReadChecked(Control control) override { return checked[control]; }

    void SuspendRedraw(Control control) override {
        redrawSuspended[control] = true;
        log.push_back("SuspendRedraw");
    }
    void ResumeRedraw(Control control) override {
        redrawSuspended[control] = false;
        log.push_back("ResumeRedraw");
    }

    void DeleteAllRows(Control list) override {
        CountRowChange(list);
        rows.clear();
        selection = -1;
        log.push_back("DeleteAllRows");
    }
    int InsertRow(Control list, const Text& title) override {
        CountRowChange(list);
        if (insertFails) return -1;
        rows.push_back(Row{{title, "", ""}});
        return static_cast<int>(rows.size()) - 1;
    }
    void SetCellText(Control list, int row, int column, const Text& text) override {
        CountRowChange(list);
        rows.at(static_cast<std::size_t>(row)).cells.at(static_cast<std::size_t>(column)) = text;
    }
    Text GetCellText(Control, int row, int column) override {
        if (row < 0 || static_cast<std::size_t>(row) >= rows.size()) return {};
        const auto& cells = rows[static_cast<std::size_t>(row)].cells;
        if (column < 0 || static_cast<std::size_t>(column) >= cells.size()) return {};
        return cells[static_cast<std::size_t>(column)];
    }
    int RowCount(Control) override { return static_cast<int>(rows.size()); }
    int CurrentSelection(Control) override { return selection; }

    bool SetClipboardText(const Text& text) override {
        if (clipboardLocked) return false;
        clipboard = text;
        clipboardHasText = true;
        log.push_back("SetClipboardText");
        return true;
    }
    Text GetClipboardText() override {
        if (clipboardLocked || !clipboardHasText) return {};
        return clipboard;
    }
    void ShowMessageBox(const Text& text) override { messageBoxes.push_back(text); }

private:
    void CountRowChange(Control list) {
        if (!redrawSuspended[list]) ++rowChangesWhileDrawn;
    }
};
