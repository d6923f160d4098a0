#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Translation.h"
#include "platform/views/Button.h"
#include "platform/views/ViewController.h"
#include "platform/views/WeakCallback.h"
#include "ui/StringPickerSheet.h"

namespace busdesk {

// A row of the settings screen that shows one choice ("外观：深色") and, tapped, offers all of them
// in a picker with the current one selected; a pick stores the choice and titles the row again.
template <class Choice>
struct ChoiceRow {
    const char* identifier;   // the row's name
    const char* title;        // "外观：%1" (marked with N_): %1 is the current choice's text
    const char* pickerTitle;  // "外观" (marked with N_)
    std::vector<Choice> choices;
    std::function<Choice()> current;
    std::function<std::string(const Choice&)> text;
    std::function<void(const Choice&)> store;
    // What %1 says, where the row says more than the current choice's text.
    std::function<std::string()> shown = {};
    // After a pick is stored, with the screen (to tell the user something).
    std::function<void(ViewController& screen)> afterStoring = {};
};

namespace choice_row {

template <class Choice>
void showChoice(Button& button, const ChoiceRow<Choice>& row) {
    button.setTitle(trFormat(row.title, {row.shown ? row.shown() : row.text(row.current())}));
}

template <class Choice>
void offerChoices(ViewController& screen, const std::shared_ptr<const ChoiceRow<Choice>>& row,
                  const std::weak_ptr<Button>& button) {
    const Choice current = row->current();
    std::vector<std::string> texts;
    int selected = 0;
    for (const auto& choice : row->choices) {
        if (choice == current) selected = static_cast<int>(texts.size());
        texts.push_back(row->text(choice));
    }
    StringPickerSheet::showPickerWithTitle(
        tr(row->pickerTitle), std::move(texts), selected,
        whileAlive<ViewController>(
            screen.weak_from_this(),
            [row, button](ViewController& screen, StringPickerSheet&, int index, const std::string&) {
                if (index < 0 || static_cast<std::size_t>(index) >= row->choices.size()) return;
                row->store(row->choices[static_cast<std::size_t>(index)]);
                if (auto shown = button.lock()) showChoice(*shown, *row);
                if (row->afterStoring) row->afterStoring(screen);
            }),
        {}, button);
}

}  // namespace choice_row

// Adds the row to `screen`'s view, titled with the current choice. What is picked after the screen
// is gone is not stored.
template <class Choice>
std::shared_ptr<Button> addChoiceRow(ViewController& screen, ChoiceRow<Choice> description) {
    auto button = std::make_shared<Button>(Rect{}, "");
    button->setIdentifier(description.identifier);
    auto row = std::make_shared<const ChoiceRow<Choice>>(std::move(description));
    choice_row::showChoice(*button, *row);
    button->addAction(whileAlive<ViewController>(
        screen.weak_from_this(), [row, weak = std::weak_ptr<Button>(button)](ViewController& screen, View&) {
            choice_row::offerChoices(screen, row, weak);
        }));
    screen.view()->addSubview(button);
    return button;
}

}  // namespace busdesk
