// The leave form opening the day-and-time picker, a choice on its wheels, and the form after.
#include <memory>
#include <string>

#include "app/SPLeavesViewController.h"
#include "catalog/Scenes.h"
#include "catalog/scenes/InAppSceneSupport.h"
#include "platform/foundation/TimeZone.h"
#include "platform/render/RenderView.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/Window.h"

namespace catalog {

void sceneDatePickerLeaveForm(Catalog& catalog) {
  platform::TimeZone::setDefaultTimeZone(platform::TimeZone::named("Asia/Shanghai"));
  {
    InAppScene scene({375, 667});
    auto window = platform::Window::create(platform::makeRect(0, 0, 375, 667));
    auto form = sprout::SPLeavesViewController::create();
    window->setRootViewController(form);
    window->makeKeyAndVisible();
    window->layoutIfNeeded();
    platform::RenderOptions options;
    options.scale = 1;
    auto shoot = [&](const char* slug, const std::string& what) {
      options.time = scene.now();
      catalog.addFrame(slug, *platform::renderView(*window, options),
                       InAppScene::caption(what, scene.elapsed()));
    };
    shoot("leave-form", "The leave form (the clock reads 2027-01-15 16:00)");
    platform::TouchDriver finger(window);
    finger.tap(form->chooseButton()->convertPointTo({170, 22}, nullptr));
    auto picker = std::dynamic_pointer_cast<sprout::DTDatePickerViewController>(
        form->presentedViewController());
    if (!picker) {
      catalog.addNote("The choice button did not open the picker");
      return;
    }
    scene.runTo(0.5);
    shoot("picker-open", "The picker over the form: 今天 16:00");
    using Picker = sprout::DTDatePickerViewController;
    auto& wheels = *picker->pickerView();
    wheels.selectRow(3003, Picker::kDay, true);
    picker->didSelectRow(wheels, 3003, Picker::kDay);
    wheels.selectRow(2409, Picker::kHour, true);
    wheels.selectRow(1206, Picker::kMinute, true);
    scene.runTo(1.5);
    shoot("picker-chosen", "Turned to three days on, 09:30");
    const auto& confirm = picker->confirmButton();
    finger.tap(confirm->convertPointTo({confirm->bounds().size.width / 2, 22}, nullptr));
    scene.runTo(2.0);
    shoot("leave-form-after",
          "Confirmed: the button shows " + form->chooseButton()->titleForState(0).value_or("?"));
  }
  platform::TimeZone::setDefaultTimeZone(std::nullopt);
}

}  // namespace catalog
