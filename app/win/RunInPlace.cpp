#include "app/win/RunInPlace.h"

#include "app/StartUp.h"
#include "support/Captions.h"
#include "ui/Application.h"
#include "update/UpdateForm.h"
#include "update/win/InstallerSignature.h"

namespace hx::app {

void RunInPlace(bool (*isAdministrator)()) {
    // Whether this updater is signed, and by whom, is decided now, from the image that runs,
    // before anyone has had time to put another file under its name.
    update::UpdaterSignature();
    ui::Application& application = ui::Application::Instance();
    application.Initialize();
    // Created hidden: a refused user never sees it.
    update::UpdateForm& form = update::CreateUpdateForm();
    if (isAdministrator()) {
        application.Run();
        application.DestroyForms();
        return;
    }
    const RefusalMessage refusal = AdministratorRefusal(form.name(), GetCaption);
    // Released before the box: a second start meanwhile would otherwise find the hidden
    // window by its class and show it to the refused user.
    application.DestroyForms();
    application.MessageBox(nullptr, refusal.text, refusal.caption, refusal.flags);
    application.Terminate();
}

} // namespace hx::app
