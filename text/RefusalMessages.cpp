#include "text/RefusalMessages.h"

#include "text/MessageTable.h"

namespace {

// By language index: Chinese, English, Italian, German, Korean.
constexpr const char16_t* kNotAFullPath[] = {
    u"\u5b89\u88c5\u6587\u4ef6\u5939\u5fc5\u987b\u662f\u672c\u5730\u9a71\u52a8\u5668\u4e0a\u7684"
    u"\u5b8c\u6574\u8def\u5f84\uff0c\u4f8b\u5982 C:\\Program Files\u3002",
    u"The installation folder must be a full path on a local drive, such as C:\\Program Files.",
    u"La cartella di installazione deve essere un percorso completo su un'unit\u00e0 locale, ad "
    u"esempio C:\\Program Files.",
    u"Der Installationsordner muss ein vollst\u00e4ndiger Pfad auf einem lokalen Laufwerk sein, "
    u"zum Beispiel C:\\Program Files.",
    u"\uc124\uce58 \ud3f4\ub354\ub294 \ub85c\uceec \ub4dc\ub77c\uc774\ube0c\uc758 \uc804\uccb4 "
    u"\uacbd\ub85c\uc5ec\uc57c \ud569\ub2c8\ub2e4(\uc608: C:\\Program Files).",
};
constexpr const char16_t* kMissing[] = {
    u"\u6b64\u6587\u4ef6\u5939\u4e0d\u5b58\u5728\u3002",
    u"This folder does not exist.",
    u"Questa cartella non esiste.",
    u"Dieser Ordner existiert nicht.",
    u"\uc774 \ud3f4\ub354\uac00 \uc874\uc7ac\ud558\uc9c0 \uc54a\uc2b5\ub2c8\ub2e4.",
};
constexpr const char16_t* kOthersCanChange[] = {
    u"\u6b64\u6587\u4ef6\u5939\u662f\u4e00\u4e2a\u94fe\u63a5\uff0c\u6216\u8005\u7ba1\u7406\u5458"
    u"\u4ee5\u5916\u7684\u7528\u6237\u53ef\u4ee5\u66f4\u6539\u5b83\u6216\u5176\u4e0a\u7ea7\u6587"
    u"\u4ef6\u5939\uff0c\u800c\u5b89\u88c5\u7684\u7a0b\u5e8f\u5c06\u4ee5\u7ba1\u7406\u5458\u6743"
    u"\u9650\u4ece\u8fd9\u91cc\u8fd0\u884c\u3002\u8bf7\u9009\u62e9\u53ea\u6709\u7ba1\u7406\u5458"
    u"\u624d\u80fd\u66f4\u6539\u7684\u6587\u4ef6\u5939\uff0c\u4f8b\u5982 C:\\Program Files\u3002",
    u"This folder is a link, or users other than administrators can change it or a folder above "
    u"it, and the installed programs run with administrator rights from here. Choose a folder only "
    u"administrators can change, such as C:\\Program Files.",
    u"Questa cartella \u00e8 un collegamento, oppure utenti diversi dagli amministratori possono "
    u"modificarla o modificare una cartella che la contiene, e i programmi installati vengono "
    u"eseguiti da qui con diritti di amministratore. Scegliere una cartella che solo gli "
    u"amministratori possono modificare, ad esempio C:\\Program Files.",
    u"Dieser Ordner ist eine Verkn\u00fcpfung, oder andere Benutzer als Administratoren "
    u"k\u00f6nnen ihn oder einen \u00fcbergeordneten Ordner \u00e4ndern, und die installierten "
    u"Programme laufen von hier mit Administratorrechten. W\u00e4hlen Sie einen Ordner, den nur "
    u"Administratoren \u00e4ndern k\u00f6nnen, zum Beispiel C:\\Program Files.",
    u"\uc774 \ud3f4\ub354\ub294 \ub9c1\ud06c\uc774\uac70\ub098 \uad00\ub9ac\uc790\uac00 "
    u"\uc544\ub2cc \uc0ac\uc6a9\uc790\uac00 \uc774 \ud3f4\ub354 \ub610\ub294 \uc0c1\uc704 "
    u"\ud3f4\ub354\ub97c \ubcc0\uacbd\ud560 \uc218 \uc788\uc73c\uba70, \uc124\uce58\ub41c "
    u"\ud504\ub85c\uadf8\ub7a8\uc740 \uc5ec\uae30\uc5d0\uc11c \uad00\ub9ac\uc790 "
    u"\uad8c\ud55c\uc73c\ub85c \uc2e4\ud589\ub429\ub2c8\ub2e4. C:\\Program Files\uc640 "
    u"\uac19\uc774 \uad00\ub9ac\uc790\ub9cc \ubcc0\uacbd\ud560 \uc218 \uc788\ub294 "
    u"\ud3f4\ub354\ub97c \uc120\ud0dd\ud558\uc2ed\uc2dc\uc624.",
};
constexpr const char16_t* kAnotherProduct[] = {
    u"\u6b64\u6587\u4ef6\u5939\u4e2d\u5df2\u5b89\u88c5\u4e86\u53e6\u4e00\u4e2a\u4ea7\u54c1\u3002"
    u"\u8bf7\u5148\u5c06\u5176\u5220\u9664\uff0c\u6216\u9009\u62e9\u5176\u4ed6\u6587\u4ef6\u5939"
    u"\u3002",
    u"Another product is installed in this folder. Remove it first, or choose another folder.",
    u"In questa cartella \u00e8 installato un altro prodotto. Rimuoverlo prima oppure scegliere "
    u"un'altra cartella.",
    u"In diesem Ordner ist ein anderes Produkt installiert. Entfernen Sie es zuerst oder "
    u"w\u00e4hlen Sie einen anderen Ordner.",
    u"\uc774 \ud3f4\ub354\uc5d0\ub294 \ub2e4\ub978 \uc81c\ud488\uc774 \uc124\uce58\ub418\uc5b4 "
    u"\uc788\uc2b5\ub2c8\ub2e4. \uba3c\uc800 \uc81c\uac70\ud558\uac70\ub098 \ub2e4\ub978 "
    u"\ud3f4\ub354\ub97c \uc120\ud0dd\ud558\uc2ed\uc2dc\uc624.",
};

const char16_t* const* textsOf(Refusal why) {
    switch (why) {
        case Refusal::NotAFullPath:
            return kNotAFullPath;
        case Refusal::Missing:
            return kMissing;
        case Refusal::OthersCanChange:
            return kOthersCanChange;
        case Refusal::AnotherProduct:
            return kAnotherProduct;
    }
    return kOthersCanChange;
}

}  // namespace

std::u16string refusalText(std::uint32_t langId, std::u16string_view folder, Refusal why) {
    return std::u16string(folder) + u"\r\n" + textsOf(why)[languageIndex(langId)];
}
