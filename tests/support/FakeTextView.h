#pragma once

#include <map>
#include <string>

// A dialog's text widgets as a map, for any view port with a Field enum; a widget never
// written reads as "".
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
