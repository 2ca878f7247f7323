#include "text/RemovalMessages.h"

#include "text/MessageTable.h"

namespace {

// By language index: Chinese, English, Italian, German, Korean. "%s" stands for the product.
constexpr const char16_t* kQuestion[] = {
    u"\u786e\u5b9a\u8981\u4ece\u8fd9\u53f0\u8ba1\u7b97\u673a\u4e0a\u5b8c\u5168\u5220\u9664 %s "
    u"\u53ca\u5176\u6240\u6709\u7ec4\u4ef6\u5417\uff1f",
    u"Remove %s and all of its components from this computer?",
    u"Rimuovere %s e tutti i suoi componenti da questo computer?",
    u"%s und alle zugeh\u00f6rigen Komponenten von diesem Computer entfernen?",
    u"\uc774 \ucef4\ud4e8\ud130\uc5d0\uc11c %s \ubc0f \ubaa8\ub4e0 \uad6c\uc131 \uc694\uc18c\ub97c "
    u"\uc81c\uac70\ud558\uc2dc\uaca0\uc2b5\ub2c8\uae4c?",
};
constexpr const char16_t* kDone[] = {
    u"%s \u5df2\u4ece\u8fd9\u53f0\u8ba1\u7b97\u673a\u4e0a\u5220\u9664\u3002",
    u"%s was removed from this computer.",
    u"%s \u00e8 stato rimosso da questo computer.",
    u"%s wurde von diesem Computer entfernt.",
    (u"%s\uc774(\uac00) \uc774 \ucef4\ud4e8\ud130\uc5d0\uc11c "
     u"\uc81c\uac70\ub418\uc5c8\uc2b5\ub2c8\ub2e4."),
};
constexpr const char16_t* kIncomplete[] = {
    u"%s \u672a\u80fd\u5b8c\u5168\u5220\u9664\uff0c\u8bf7\u91cd\u65b0\u542f\u52a8\u8ba1\u7b97\u673a"
    u"\u540e\u518d\u8bd5\u4e00\u6b21\u3002",
    u"%s could not be removed completely. Please restart your computer and try again.",
    u"Non \u00e8 stato possibile rimuovere completamente %s. Riavviare il computer e riprovare.",
    u"%s konnte nicht vollst\u00e4ndig entfernt werden. Bitte starten Sie den Computer neu und "
    u"versuchen Sie es erneut.",
    u"%s\uc744(\ub97c) \uc644\uc804\ud788 \uc81c\uac70\ud558\uc9c0 \ubabb\ud588\uc2b5\ub2c8\ub2e4. "
    u"\ucef4\ud4e8\ud130\ub97c \ub2e4\uc2dc \uc2dc\uc791\ud55c \ud6c4 \ub2e4\uc2dc "
    u"\uc2dc\ub3c4\ud558\uc138\uc694.",
};
constexpr const char16_t* kNothing[] = {
    u"\u6b64\u6587\u4ef6\u5939\u4e2d\u6ca1\u6709\u53ef\u5220\u9664\u7684\u5b89\u88c5\u3002",
    u"There is no installation to remove in this folder.",
    u"In questa cartella non c'\u00e8 alcuna installazione da rimuovere.",
    u"In diesem Ordner gibt es keine Installation zu entfernen.",
    (u"\uc774 \ud3f4\ub354\uc5d0\ub294 \uc81c\uac70\ud560 \uc124\uce58\uac00 "
     u"\uc5c6\uc2b5\ub2c8\ub2e4."),
};

std::u16string withProduct(const char16_t* text, std::u16string_view product) {
    std::u16string out(text);
    std::size_t at = out.find(u"%s");
    if (at != std::u16string::npos) out.replace(at, 2, product);
    return out;
}

}  // namespace

std::u16string removalQuestion(std::uint32_t langId, std::u16string_view product) {
    return withProduct(kQuestion[languageIndex(langId)], product);
}

std::u16string removalDone(std::uint32_t langId, std::u16string_view product) {
    return withProduct(kDone[languageIndex(langId)], product);
}

std::u16string removalIncomplete(std::uint32_t langId, std::u16string_view product) {
    return withProduct(kIncomplete[languageIndex(langId)], product);
}

std::u16string removalNothingFound(std::uint32_t langId) {
    return kNothing[languageIndex(langId)];
}
