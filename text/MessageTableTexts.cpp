// The wizard's texts in its five languages, slots 1 to 23 in slot order (slot 0 reads the
// same in every language). Letters outside ASCII are written as escapes so that the bytes of
// this file cannot change them; trailing blanks are part of the texts.
#include "text/MessageTableTexts.h"

namespace {

// Simplified Chinese (2052)
constexpr const char16_t* kChinese[kLanguageTexts] = {
    u"\u5b89\u88c5\u534f\u8bae",                  // 1
    u"\u5b89\u88c5\u8def\u5f84\uff1a",            // 2
    u"\u6d4f\u89c8",                              // 3
    u"\u540c\u610f",                              // 4
    u"\u4e0d\u540c\u610f",                        // 5
    u"\u8bf7\u63d2\u5165\u89e6\u6478\u5c4f ...",  // 6
    u"\u51c6\u5907\u5b89\u88c5 ...",              // 7
    u"\u5b89\u88c5\u5b8c\u6210",                  // 8
    u"\u53d6\u6d88\u5b89\u88c5",                  // 9
    u"\u6b63\u5728\u590d\u5236\u6587\u4ef6",      // 10
    u"\u6b63\u5728\u5220\u9664\u6587\u4ef6",      // 11
    u"\u6b63\u5728\u5b89\u88c5\u9a71\u52a8\uff0c\u9700\u8981\u6570\u5206\u949f\u65f6\u95f4"
    u"\uff0c\u8bf7\u8010\u5fc3\u7b49\u5f85\u2026\u2026",  // 12
    u"\u6b63\u5728\u5378\u8f7d\u9a71\u52a8",              // 13
    u"\u6b63\u5728\u5b89\u88c5\u670d\u52a1\uff0c\u9700\u8981\u6570\u5206\u949f\u65f6\u95f4"
    u"\uff0c\u8bf7\u8010\u5fc3\u7b49\u5f85\u2026\u2026",  // 14
    u"\u6b63\u5728\u5378\u8f7d\u670d\u52a1",              // 15
    u"\u521b\u5efa\u6587\u4ef6\u5931\u8d25",              // 16
    u"\u5b89\u88c5\u9a71\u52a8\u5931\u8d25\uff0c\u8bf7\u91cd\u542f\u8ba1\u7b97\u673a\u518d"
    u"\u8bd5\u4e00\u6b21\u3002",                                                  // 17
    u"\u5b89\u88c5\u670d\u52a1\u5931\u8d25",                                      // 18
    u"\u6b63\u5728\u914d\u7f6e\u670d\u52a1\u63a5\u53e3\u2026\u2026",              // 19
    u"\u6b63\u5728\u505c\u6b62\u670d\u52a1\u2026\u2026",                          // 20
    u"\u9000\u51fa\u5b89\u88c5",                                                  // 21
    u"\u786e\u5b9a\u8981\u53d6\u6d88\u5b89\u88c5\u5417?",                         // 22
    u"\u53d1\u73b0\u5df2\u5b89\u88c5\u7248\u672c\uff0c\u6b63\u5728\u5378\u8f7d",  // 23
};

// English (1033 and every other LANGID)
constexpr const char16_t* kEnglish[kLanguageTexts] = {
    u"License Agreement",                                                                    // 1
    u"Installation Path:",                                                                   // 2
    u"Browse",                                                                               // 3
    u"Agree",                                                                                // 4
    u"Disagree",                                                                             // 5
    u"Please plug in the multitouch device ...",                                             // 6
    u"Preparing ...",                                                                        // 7
    u"Installation Complete!",                                                               // 8
    u"Installation Cancelled!",                                                              // 9
    u"Copying file ",                                                                        // 10
    u"Deleting file",                                                                        // 11
    u"Installing drivers, this may take several minutes, please wait...",                    // 12
    u"Uninstalling driver...",                                                               // 13
    u"Installing servicing interface...",                                                    // 14
    u"Uninstalling servicing interface...",                                                  // 15
    u"Error creating files!",                                                                // 16
    u"Error installing drivers, please try again after restart your computer.",              // 17
    u"Error installing servicing interface, please try again after restart your computer.",  // 18
    u"Configuring servicing interface...",                                                   // 19
    u"Stopping servicing interface...",                                                      // 20
    u"Cancelling Setup",                                                                     // 21
    u"Are you sure you want to cancel the setup?",                                           // 22
    u"Previous version found, uninstalling",                                                 // 23
};

// Italian (1040)
constexpr const char16_t* kItalian[kLanguageTexts] = {
    u"Contratto di Licenza",                       // 1
    u"Percorso installazione:",                    // 2
    u"Sfoglia",                                    // 3
    u"Accetto",                                    // 4
    u"Non accetto",                                // 5
    u"Collegare la periferica multi-touch\u2026",  // 6
    u"Preparazione\u2026",                         // 7
    u"Installazione Completa!",                    // 8
    u"Installazione Annullata!",                   // 9
    u"Copia files",                                // 10
    u"Cancellazione files",                        // 11
    u"Installazione drivers, questo potrebbe richiedere alcuni minuti, attendere prego"
    u"\u2026",                                                                 // 12
    u"Disinstallazione drivers\u2026",                                         // 13
    u"Installazione Interfaccia Manutenzione, attendere prego\u2026",          // 14
    u"Disinstallazione Interfaccia Manutenzione, attendere prego\u2026",       // 15
    u"Errore durante la creazione files!",                                     // 16
    u"Errore durante l'installazione drivers, riavvia il sistema e riprova.",  // 17
    u"Errore durante l'installazione Interfaccia Manutenzione, riavvia il sistema e riprov"
    u"a.",                                                                    // 18
    u"Configurazione Interfaccia Manutenzione\u2026",                         // 19
    u"Arresto Interfaccia Manutenzione\u2026",                                // 20
    u"Annulla Installazione",                                                 // 21
    u"Sei sicuro di voler annullare l'installazione?",                        // 22
    u"Trovata una precedente versione del software, disinstallazione\u2026",  // 23
};

// German (1031)
constexpr const char16_t* kGerman[kLanguageTexts] = {
    u"Lizenzvereinbarung ",                                                  // 1
    u"Instalationsweg:",                                                     // 2
    u"Bl\u00e4ttern",                                                        // 3
    u"Stimme zu",                                                            // 4
    u"Stimme nicht zu",                                                      // 5
    u"Bitte stecken sie das Multitouch Ger\u00e4t ein...",                   // 6
    u"Wird vorbereitet...",                                                  // 7
    u"Installation abgeschlossen!",                                          // 8
    u"Instalation abgebrochen!",                                             // 9
    u"Datei wird Kopiert",                                                   // 10
    u"Datei wird gel\u00f6scht",                                             // 11
    u"Installation von Treibern kann einige Minuten dauern, bitte warten.",  // 12
    u"Treiber werden deinstalliert ",                                        // 13
    u"Installation von Service Schnittstelle, bitte warten",                 // 14
    u"Service Schnittstelle wird deinstalliert, bitte warten",               // 15
    u"Fehler bei der Datei",                                                 // 16
    u"Fehler Bei der installation von Treibern, bitte versuchen Sie es ernueut nach dem Si"
    u"e ihren Computer neu gestartet haben.",  // 17
    u"Fehler bei der Installation der Service Schnittstelle bitte versuchen Sie es erneut "
    u"nach dem Sie den Copmuter neu gestartet haben. ",           // 18
    u"Konfiguration der Service- Schnittstelle\u2026",            // 19
    u"Anhalten Service- Schnittstelle...",                        // 20
    u"Setup wird abgebrochen",                                    // 21
    u"Sind Sie sich sicher das Sie das Setup abbrechen wollen?",  // 22
    u"Fr\u00fchere Version gefunden, wird deinstalliert!",        // 23
};

// Korean (1042)
constexpr const char16_t* kKorean[kLanguageTexts] = {
    u"\ub77c\uc774\uc120\uc2a4 \ud611\uc815",                            // 1
    u"\uc124\uce58 \uacbd\ub85c:",                                       // 2
    u"\ub458\ub7ec\ubcf4\uae30",                                         // 3
    u"\ub3d9\uc758\ud568",                                               // 4
    u"\ub3d9\uc758\ud558\uc9c0 \uc54a\uc74c",                            // 5
    u"\ud130\uce58 \uc7a5\uce58\ub97c \uc5f0\uacb0 \ud558\uc138\uc694",  // 6
    u"\uc124\uce58 \uc900\ube44\uc911",                                  // 7
    u"\uc124\uce58 \uc644\ub8cc",                                        // 8
    u"\uc124\uce58 \ucde8\uc18c \ub428",                                 // 9
    u"\ud30c\uc77c \ubcf5\uc0ac \uc911",                                 // 10
    u"\ud30c\uc77c \uc0ad\uc81c \uc911",                                 // 11
    u"\ub4dc\ub77c\uc774\ubc84 \uc124\uce58\uc911, \uc2dc\uac04\uc774 \uc18c\uc694 \ub418"
    u"\ub2c8 \uc7a0\uc2dc\ub9cc \uae30\ub2e4\ub9ac\uc138\uc694 ",  // 12
    u"\ub4dc\ub77c\uc774\ubc84 \uc81c\uac70 \uc911",               // 13
    u"\uc11c\ubc84 \uc124\uce58\uc911, \uc2dc\uac04\uc774 \uc18c\uc694 \ub418\ub2c8 \uc7a0"
    u"\uc2dc\ub9cc \uae30\ub2e4\ub9ac\uc138\uc694 ",  // 14
    u"\uc11c\ube44\uc2a4 \uc778\ud130\ud398\uc774\uc2a4 \uc81c\uac70 \uc911.\uc7a0\uc2dc "
    u"\uae30\ub2e4\ub9ac\uc138\uc694",          // 15
    u"\ud30c\uc77c \uc0dd\uc131 \uc624\ub958",  // 16
    u"\ub4dc\ub77c\uc774\ubc84 \uc124\uce58 \uc2e4\ud328 ,\ucef4\ud4e8\ud130\ub97c \ub2e4"
    u"\uc2dc \uc2dc\uc791\ud558\uc138\uc694",  // 17
    u"\uc124\uce58 \uc2e4\ud328,\ucef4\ud4e8\ud130\ub97c \ub2e4\uc2dc \uc2dc\uc791\ud558"
    u"\uc138\uc694",                                                           // 18
    u"\uc11c\ubc84 \uc778\ud130\ud398\uc774\uc2a4 \uc124\uc815 \uc911",        // 19
    u"\uc11c\ubc84 \uc815\uc9c0 \uc911",                                       // 20
    u"\uc124\uce58 \ucde8\uc18c \uc911",                                       // 21
    u"\uc124\uce58\ub97c \ucde8\uc18c \ud558\uc2dc\uaca0\uc2b5\ub2c8\uae4c?",  // 22
    u"\uc774\uc804 \ubc84\uc804\uc774 \uc124\uce58 \ub418\uc5b4 \uc788\uc2b5\ub2c8\ub2e4. "
    u"\uc7ac\uac70 \uc911\u2026",  // 23
};

}  // namespace

const char16_t* const* languageTexts(std::uint32_t langId) {
    switch (langId) {
        case 2052:
            return kChinese;
        case 1031:
            return kGerman;
        case 1040:
            return kItalian;
        case 1042:
            return kKorean;
        default:
            return kEnglish;
    }
}
