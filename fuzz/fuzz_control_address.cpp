// Control addresses of the automation channel ("sys_list[2]/check_sys"), as
// a request from another program names them, looked up in a window with a
// list of rows: any text either finds a control of the tree or nothing.
#include "uikit/automation/automation.h"
#include "uikit/test_support/fake_host.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static uikit::testing::TestWindow window(R"(<Window size="300,200"><VerticalLayout>
        <List name="list">
          <ListContainerElement><Label name="cell"/><Button name="go"/></ListContainerElement>
          <ListContainerElement><Label name="cell"/><List name="inner"><ListContainerElement>
            <Button name="go"/></ListContainerElement></List></ListContainerElement>
        </List>
        <Button name="go"/>
      </VerticalLayout></Window>)");
    std::string_view address(reinterpret_cast<const char*>(data), size);
    uikit::CControlUI* found = uikit::automation::FindByAddress(window.tree, address);
    if (!found) return 0;
    bool inTree = false;
    window.tree.Root()->Visit([&](uikit::CControlUI& c) { inTree |= &c == found; });
    if (!inTree) std::abort();
    return 0;
}
