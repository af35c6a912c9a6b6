// The security-software guide's choice and steps: which product's
// tutorial shows, which page and picture, and the next button's text.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qnb::ui {

// Product codes (bits of the detection mask).
enum SecurityProduct : int {
    k360Safe = 1,
    k360Sd = 2,
    kQqPcMgr = 4,
    kDuba = 8,
    kDefender = 16,
};

struct ProductInfo {
    int code;
    const char* option;    // option control
    const char* name;      // shown under its picture
    const char* picture;   // option picture
    const char* steps;     // step picture prefix in skin/safeGuide/
    int stepCount;
};

// In the guide's order: 360safe, 360sd, Windows Defender, QQ PC Manager, duba.
const std::vector<ProductInfo>& GuideProducts();
const ProductInfo* FindProduct(int code);

class GuideSteps {
public:
    struct View {
        int page = 0;             // tab_main: 0 choice, 1 step
        std::string picture;      // guide_step's background (page 1)
        std::string nextText;     // btn_next's text (page 1)
    };

    int Chosen() const { return chosen_; }
    int Step() const { return step_; }
    void Choose(int code) { chosen_ = code; }
    // "begin": the first selected option's product in the guide's order; none keeps the choice.
    void Begin(const std::vector<int>& selectedCodes);
    // "btn_next".
    void Next() { ++step_; }
    // The page for the current product and step; past the last step (or
    // without a product) back to the choice with the step at 0.
    View Show();

    static constexpr char kNextText[] = "下一步";
    static constexpr char kDoneText[] = "我学会啦";

private:
    int chosen_ = 0;
    int step_ = 0;
};

}  // namespace qnb::ui
