#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/DialogHost.h"

// A host that answers file choosers from a script and records every alert, chooser and
// sheet end. Every alert a dialog shows must be the "錯誤" alert with the one button "確定".
class ScriptedDialogHost final : public DialogHost {
  public:
    void showAlert(const std::string& title, const std::string& informativeText,
                   const std::string& button) override {
        EXPECT_EQ(title, "錯誤");
        EXPECT_EQ(button, "確定");
        errors.push_back(informativeText);
    }
    std::optional<std::string> choosePath(const PathPanel& panel) override {
        panels.push_back(panel);
        EXPECT_FALSE(answers.empty()) << "unexpected file chooser";
        if (answers.empty()) return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void endSheet(int sheetResult) override { sheetResults.push_back(sheetResult); }

    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> errors;
    std::vector<PathPanel> panels;
    std::vector<int> sheetResults;
};

// A dialog's text widgets as a map; a widget never written reads as "".
template <typename View>
class FakeTextView final : public View {
  public:
    using Field = typename View::Field;
    std::string text(Field field) const override {
        auto found = texts.find(field);
        return found == texts.end() ? std::string() : found->second;
    }
    void setText(Field field, const std::string& text) override { texts[field] = text; }

    std::map<Field, std::string> texts;
};
