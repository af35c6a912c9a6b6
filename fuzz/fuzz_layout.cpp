// Layout files: read (after shared styles, as a window reads its layout
// after global.xml), built into controls, laid out at a few sizes, painted
// and clicked. The skin is the program's own, but a layout with absurd
// numbers must not break the arithmetic. An input that reads as shared
// styles ends there.
#include "uikit/core/builder.h"
#include "uikit/core/layout_document.h"
#include "uikit/test_support/fake_host.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view xml(reinterpret_cast<const char*>(data), size);
    std::string error;
    uikit::SharedStyles read;
    if (uikit::ParseSharedStyles(xml, &read, &error)) return 0;
    uikit::LayoutDocument document;
    if (!uikit::ParseLayout(xml, &document, &error)) return 0;
    static const uikit::SharedStyles kShared = [] {
        uikit::SharedStyles shared;
        shared.fonts = {{0, "微软雅黑", 12, false, false, false, true}, {1, "微软雅黑", 16, true}};
        shared.defaults = {{"Button", {{"textcolor", "#FF333333"}}}};
        return shared;
    }();
    uikit::LayoutDocument withShared = document;
    if (uikit::ApplySharedStyles(kShared, &withShared, &error)) document = std::move(withShared);
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
