#include "text/LockMessages.h"

#include "text/MessageTable.h"

namespace {

// By language index: Chinese, English, Italian, German, Korean. "%s" stands for the product.
constexpr const char16_t* kBusy[] = {
    u"%s \u7684\u53e6\u4e00\u4e2a\u5b89\u88c5\u6216\u5378\u8f7d\u6b63\u5728\u8fdb\u884c\u3002"
    u"\u8bf7\u5728\u5176\u7ed3\u675f\u540e\u91cd\u8bd5\u3002",
    u"Another installation or removal of %s is running. Please try again when it has ended.",
    u"\u00c8 in corso un'altra installazione o rimozione di %s. Riprovare al termine.",
    u"Eine andere Installation oder Entfernung von %s l\u00e4uft gerade. Bitte versuchen Sie es "
    u"erneut, wenn sie beendet ist.",
    u"%s\uc758 \ub2e4\ub978 \uc124\uce58 \ub610\ub294 \uc81c\uac70\uac00 \uc9c4\ud589 "
    u"\uc911\uc785\ub2c8\ub2e4. \ub05d\ub09c \ud6c4 \ub2e4\uc2dc \uc2dc\ub3c4\ud558\uc138\uc694.",
};

}  // namespace

std::u16string productBusyText(std::uint32_t langId, std::u16string_view product) {
    std::u16string text(kBusy[languageIndex(langId)]);
    std::size_t at = text.find(u"%s");
    if (at != std::u16string::npos) text.replace(at, 2, product);
    return text;
}
