#include "ui/guide_steps.h"

namespace qnb::ui {

const std::vector<ProductInfo>& GuideProducts() {
    static const std::vector<ProductInfo> products = {
        {k360Safe, "option_360safe", "360安全卫士", "360safe.png", "360safe", 3},
        {k360Sd, "option_360sd", "360杀毒", "360sd.png", "360sd", 3},
        {kDefender, "option_definder", "Windows Defender", "WindowsDefender.png", "windowsDefender", 5},
        {kQqPcMgr, "option_qqpcmgr", "腾讯电脑管家", "qqguanjia.png", "qqpcmgr", 3},
        {kDuba, "option_duba", "金山毒霸", "duba.png", "duba", 3},
    };
    return products;
}

const ProductInfo* FindProduct(int code) {
    for (const ProductInfo& p : GuideProducts()) {
        if (p.code == code) return &p;
    }
    return nullptr;
}

void GuideSteps::Begin(const std::vector<int>& selectedCodes) {
    for (const ProductInfo& p : GuideProducts()) {
        for (int code : selectedCodes) {
            if (code == p.code) {
                chosen_ = code;
                return;
            }
        }
    }
}

GuideSteps::View GuideSteps::Show() {
    View view;
    const ProductInfo* product = FindProduct(chosen_);
    if (!product || step_ < 0 || step_ >= product->stepCount) {
        step_ = 0;
        return view;
    }
    view.page = 1;
    view.picture = "skin/safeGuide/" + std::string(product->steps) + std::to_string(step_ + 1) + ".png";
    view.nextText = step_ == product->stepCount - 1 ? kDoneText : kNextText;
    return view;
}

}  // namespace qnb::ui
