// Decoding a language resource and splitting it into rows and fields, then both lookups,
// on arbitrary bytes: nothing may crash, loop or read past the input.
#include "support/Captions.h"
#include "support/LanguageText.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string text = hx::DecodeLanguageBytes({data, size}, nullptr);
    size_t fields = 0;
    for (auto line : hx::SplitLines(text)) {
        fields += hx::SplitFields(line).size();
    }
    (void)fields;
    (void)hx::GetCaptionIn(text, u"HXUpdateForm", u"UpdateButton");
    hx::ui::Component form{u"HXUpdateForm", hx::ui::Kind::Form, nullptr};
    form.Add(u"UpdateButton", hx::ui::Kind::Button, &form, &form);
    form.Add(u"UpdateImage1", hx::ui::Kind::Image, &form, &form);
    form.Add(u"NameEdit", hx::ui::Kind::Edit, &form, &form);
    hx::ApplyCaptionsFrom(text, form);
    return 0;
}
