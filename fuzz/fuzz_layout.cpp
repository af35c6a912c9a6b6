// Layout files: read, built into controls, laid out at a few sizes,
// painted and clicked. The skin is the program's own, but a layout with
// absurd numbers must not break the arithmetic.
#include "uikit/core/builder.h"
#include "uikit/core/layout_document.h"
#include "uikit/test_support/fake_host.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view xml(reinterpret_cast<const char*>(data), size);
    uikit::LayoutDocument document;
    std::string error;
    if (!uikit::ParseLayout(xml, &document, &error)) return 0;
    uikit::testing::FakeHost host;
    uikit::ControlTree tree(&host);
    tree.SetFonts(document.fonts);
    uikit::CDialogBuilder builder(document.defaults, nullptr);
    tree.SetRoot(builder.Build(document.root));
    uikit::testing::RecordingRender render;
    for (uikit::Size client : {uikit::Size{920, 600}, uikit::Size{1, 1}, uikit::Size{0, 0}}) {
        uikit::Point middle{client.cx / 2, client.cy / 2};
        tree.Resize(client);
        tree.Paint(render, {0, 0, client.cx, client.cy});
        tree.MouseMove(middle);
        tree.ButtonDown(middle);
        tree.ButtonUp(middle);
        tree.Wheel(middle, -120);
        tree.KeyDown(0x0D);
    }
    return 0;
}
