#include "wizard/PageActions.h"

#include "wizard/InstallerInit.h"
#include "wizard/Widgets.h"
#include "wizard/WizardState.h"
#include "wizard/WizardTrace.h"

void traceLanguage() {
    if (!wizardTrace) return;
    traceWizard("folder", wizardWidgets.pathLabel.text);
    const auto& paragraphs = wizardWidgets.licenceView.paragraphs;
    traceWizard("licence", paragraphs.empty() ? std::u16string_view() : paragraphs.front().text);
}

void languageAction(std::uint32_t langId) {
    initInstaller(langId);
    traceLanguage();
    wizardState.currentPage = LicencePage;
    wizardState.inputEnabled = false;
}

void agreeAction() {
    wizardState.currentPage = DevicePage;
    wizardState.inputEnabled = false;
}
