// A notices screen laid out entirely with the constraint builder (a header, rows, a centred card
// and a row of equal-width buttons), rendered at two window sizes with the descriptions of the
// constraints that place it.
#include <memory>
#include <string>
#include <vector>

#include "catalog/Scenes.h"
#include "platform/layout/LayoutConstraint.h"
#include "platform/layout/ViewLayout.h"
#include "platform/render/RenderView.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"
#include "ui/support/constraints/CMConstraintMaker.h"
#include "ui/support/constraints/ViewArrayCMAdditions.h"
#include "ui/support/constraints/ViewCMAdditions.h"

namespace catalog {
namespace {

using platform::Color;
using platform::View;
using sprout::CMConstraintMaker;

std::shared_ptr<platform::Label> label(const std::string& text, double size, Color color) {
  auto l = platform::Label::create();
  l->setText(text);
  l->setFont(platform::Font::systemFont(size));
  l->setTextColor(color);
  l->setBackgroundColor(Color::clear());
  return l;
}

std::shared_ptr<View> keyed(const std::shared_ptr<View>& parent, const std::string& key,
                            Color color) {
  auto v = View::create();
  v->setBackgroundColor(color);
  sprout::setCm_key(*v, key);
  parent->addSubview(v);
  return v;
}

void buildHeader(const std::shared_ptr<View>& root) {
  auto header = keyed(root, "header", Color::hex(0x4CAF50));
  sprout::cm_makeConstraints(header, [&](CMConstraintMaker& make) {
    make.top()->left()->right()->equalTo(root);
    make.height()->equalTo(64);
  });
  auto title = label("通知", 17, Color::whiteColor());
  sprout::setCm_key(*title, "title");
  header->addSubview(title);
  sprout::cm_makeConstraints(title, [&](CMConstraintMaker& make) {
    make.centerX()->equalTo(header);
    make.bottom()->equalTo(header)->offset(-12);
  });
}

void buildRows(const std::shared_ptr<View>& root) {
  const std::vector<std::string> texts = {"春季运动会报名开始啦", "本周食谱已更新",
                                          "家长开放日安排"};
  std::shared_ptr<View> previous;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    auto row = keyed(root, "row" + std::to_string(i), Color::whiteColor());
    sprout::cm_makeConstraints(row, [&](CMConstraintMaker& make) {
      make.left()->right()->equalTo(root)->insets({0, 12, 0, 12});
      make.height()->equalTo(44);
      if (previous) {
        make.top()->equalTo(sprout::cm_bottom(previous))->offset(6);
      } else {
        make.top()->equalTo(root)->offset(76);
      }
    });
    auto text = label(texts[i], 15, Color::hex(0x222222));
    row->addSubview(text);
    sprout::cm_makeConstraints(text, [&](CMConstraintMaker& make) {
      make.left()->equalTo(row)->offset(12);
      make.centerY()->equalTo(row);
    });
    auto badge = keyed(row, "badge" + std::to_string(i), Color::hex(0xFF7043));
    sprout::cm_makeConstraints(badge, [&](CMConstraintMaker& make) {
      make.size()->equalTo(platform::Size{10, 10});
      make.right()->equalTo(row)->offset(-14);
      make.centerY()->equalTo(row);
    });
    previous = row;
  }
}

void buildCardAndButtons(const std::shared_ptr<View>& root) {
  auto card = keyed(root, "card", Color::hex(0xFFF3E0));
  card->layer()->setCornerRadius(10);
  sprout::cm_makeConstraints(card, [&](CMConstraintMaker& make) {
    make.centerX()->equalTo(root);
    make.centerY()->equalTo(root)->offset(50);
    make.width()->equalTo(root)->multipliedBy(0.6)->priorityHigh();
    make.width()->lessThanOrEqualTo(260);
    make.height()->equalTo(90);
  });
  auto message = label("今天 16:30 接园", 16, Color::hex(0xE65100));
  card->addSubview(message);
  sprout::cm_makeConstraints(message,
                             [&](CMConstraintMaker& make) { make.center()->equalTo(card); });

  sprout::CMViews buttons;
  for (const char* key : {"leave", "pickup", "list"}) {
    buttons.push_back(keyed(root, key, Color::hex(0x81C784)));
  }
  sprout::cm_distributeViewsAlongAxis(buttons, 0, sprout::CMFixedSpacing{10}, 12, 12);
  sprout::cm_makeConstraints(buttons, [&](CMConstraintMaker& make) {
    make.bottom()->equalTo(root)->offset(-16);
    make.height()->equalTo(40);
  });
}

std::string describeConstraints(const View& view) {
  std::string text;
  for (const auto& c : platform::constraints(view)) text += c->description() + "\n";
  for (const auto& s : view.subviews()) text += describeConstraints(*s);
  return text;
}

}  // namespace

void sceneConstraintLayout(Catalog& catalog) {
  auto root = View::create(platform::makeRect(0, 0, 320, 480));
  root->setBackgroundColor(Color::hex(0xF4F6F4));
  sprout::setCm_key(*root, "screen");
  buildHeader(root);
  buildRows(root);
  buildCardAndButtons(root);
  catalog.addFrame("portrait", *platform::renderView(*root), "320 × 480: one set of constraints");
  root->setFrame(platform::makeRect(0, 0, 480, 560));
  catalog.addFrame("landscape", *platform::renderView(*root),
                   "480 × 560: the same constraints, solved again for the new size");
  catalog.addFrame("descriptions", *renderTextCard(describeConstraints(*root), 600),
                   "The constraints as their descriptions name them (keys from cm_key)");
}

}  // namespace catalog
