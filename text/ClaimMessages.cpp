#include "text/ClaimMessages.h"

#include "text/MessageTable.h"

namespace {

// By language index: Chinese, English, Italian, German, Korean. %1, %2, %3 stand for the texts
// put in.
constexpr const char16_t* kTaken[] = {
    u"\u53e6\u4e00\u4e2a\u4ea7\u54c1\u4f7f\u7528\u6b64\u540d\u79f0\uff1a%1\u3002\u672a\u5b89"
    u"\u88c5\u4efb\u4f55\u5185\u5bb9\uff1b\u8bf7\u5148\u5220\u9664\u8be5\u4ea7\u54c1\u3002",
    u"Another product has this name: %1. Nothing was installed; remove that product first.",
    u"Un altro prodotto usa questo nome: %1. Non \u00e8 stato installato nulla; rimuovere "
    u"prima quel prodotto.",
    u"Ein anderes Produkt verwendet diesen Namen: %1. Es wurde nichts installiert; "
    u"entfernen Sie zuerst dieses Produkt.",
    u"\ub2e4\ub978 \uc81c\ud488\uc774 \uc774 \uc774\ub984\uc744 "
    u"\uc0ac\uc6a9\ud569\ub2c8\ub2e4: %1. \uc544\ubb34\uac83\ub3c4 \uc124\uce58\ub418\uc9c0 "
    u"\uc54a\uc558\uc2b5\ub2c8\ub2e4. \uba3c\uc800 \ud574\ub2f9 \uc81c\ud488\uc744 "
    u"\uc81c\uac70\ud558\uc2ed\uc2dc\uc624.",
};
constexpr const char16_t* kTakenByUnknown[] = {
    u"\u6b64\u540d\u79f0\u5df2\u88ab\u5e76\u975e\u672c\u4ea7\u54c1\u521b\u5efa\u7684\u9879"
    u"\u76ee\u4f7f\u7528\u3002\u672a\u5b89\u88c5\u4efb\u4f55\u5185\u5bb9\uff1b\u8bf7\u5148"
    u"\u5c06\u5176\u5220\u9664\u3002",
    u"Something this product did not make has this name. Nothing was installed; remove it "
    u"first.",
    u"Questo nome \u00e8 usato da qualcosa che questo prodotto non ha creato. Non \u00e8 "
    u"stato installato nulla; rimuoverlo prima.",
    u"Dieser Name geh\u00f6rt zu etwas, das nicht von diesem Produkt stammt. Es wurde "
    u"nichts installiert; entfernen Sie es zuerst.",
    u"\uc774 \uc81c\ud488\uc774 \ub9cc\ub4e4\uc9c0 \uc54a\uc740 \ud56d\ubaa9\uc774 \uc774 "
    u"\uc774\ub984\uc744 \uc0ac\uc6a9\ud569\ub2c8\ub2e4. \uc544\ubb34\uac83\ub3c4 "
    u"\uc124\uce58\ub418\uc9c0 \uc54a\uc558\uc2b5\ub2c8\ub2e4. \uba3c\uc800 "
    u"\uc81c\uac70\ud558\uc2ed\uc2dc\uc624.",
};
constexpr const char16_t* kNewerVersion[] = {
    u"\u5df2\u5b89\u88c5 %1 %2\uff0c\u6bd4\u6b64\u5b89\u88c5\u7a0b\u5e8f\u4e2d\u7684\u7248"
    u"\u672c %3 \u66f4\u65b0\u3002\u672a\u505a\u4efb\u4f55\u66f4\u6539\u3002\u5982\u9700"
    u"\u7528\u65e7\u7248\u672c\u66ff\u6362\uff0c\u8bf7\u4f7f\u7528 /ALLOWDOWNGRADE "
    u"\u8fd0\u884c setup.exe\u3002",
    u"%1 %2 is installed, newer than the version %3 this setup carries. Nothing was "
    u"changed. To install the older version over it, run setup.exe with /ALLOWDOWNGRADE.",
    u"\u00c8 installato %1 %2, pi\u00f9 recente della versione %3 di questo programma di "
    u"installazione. Non \u00e8 stato modificato nulla. Per installare la versione "
    u"precedente, eseguire setup.exe con /ALLOWDOWNGRADE.",
    u"%1 %2 ist installiert und neuer als die Version %3 dieses Setups. Es wurde nichts "
    u"ge\u00e4ndert. Um die \u00e4ltere Version zu installieren, starten Sie setup.exe mit "
    u"/ALLOWDOWNGRADE.",
    u"%1 %2\uc774(\uac00) \uc124\uce58\ub418\uc5b4 \uc788\uc73c\uba70 \uc774 \uc124\uce58 "
    u"\ud504\ub85c\uadf8\ub7a8\uc758 \ubc84\uc804 %3\ubcf4\ub2e4 "
    u"\ucd5c\uc2e0\uc785\ub2c8\ub2e4. \uc544\ubb34\uac83\ub3c4 \ubcc0\uacbd\ub418\uc9c0 "
    u"\uc54a\uc558\uc2b5\ub2c8\ub2e4. \uc774\uc804 \ubc84\uc804\uc744 "
    u"\uc124\uce58\ud558\ub824\uba74 /ALLOWDOWNGRADE\uc640 \ud568\uaed8 setup.exe\ub97c "
    u"\uc2e4\ud589\ud558\uc2ed\uc2dc\uc624.",
};

// Each mark once, in the order given; what is put in is never searched for marks.
std::u16string filledIn(std::u16string_view text,
                        std::initializer_list<std::u16string_view> values) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::size_t n = i + 1 < text.size() ? std::size_t(text[i + 1] - u'1') : values.size();
        if (text[i] == u'%' && n < values.size()) {
            out += values.begin()[n];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

std::u16string takenText(std::uint32_t langId, std::u16string_view item,
                         std::u16string_view owner) {
    int language = languageIndex(langId);
    std::u16string reason = owner.empty() ? std::u16string(kTakenByUnknown[language])
                                          : filledIn(kTaken[language], {owner});
    return std::u16string(item) + u"\r\n" + reason;
}

std::u16string newerVersionText(std::uint32_t langId, std::u16string_view product,
                                std::u16string_view found, std::u16string_view installing) {
    return filledIn(kNewerVersion[languageIndex(langId)], {product, found, installing});
}
