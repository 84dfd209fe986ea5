#pragma once

#include <functional>
#include <memory>

#include "platform/foundation/ObserverList.h"
#include "platform/ui/scroll/ScrollView.h"

namespace sprout {

class RFRefreshHeader;
class RFRefreshFooter;

// A scroll view's refresh header and footer. The scroll view's subviews own them; the scroll view
// keeps only weak references, which read as empty once a component is gone. Setting a new one
// removes the old one from the view tree and inserts the new one below every other subview.
std::shared_ptr<RFRefreshHeader> rf_header(platform::ScrollView& scrollView);
void setRf_header(platform::ScrollView& scrollView, const std::shared_ptr<RFRefreshHeader>& header);
std::shared_ptr<RFRefreshFooter> rf_footer(platform::ScrollView& scrollView);
void setRf_footer(platform::ScrollView& scrollView, const std::shared_ptr<RFRefreshFooter>& footer);
// Told (old, new) once a different header or footer has taken the scroll view's slot: the old one
// has left the view tree and the new one is in it. Either may be null.
using RFHeaderObservers =
    platform::ObserverList<std::shared_ptr<RFRefreshHeader>, std::shared_ptr<RFRefreshHeader>>;
using RFFooterObservers =
    platform::ObserverList<std::shared_ptr<RFRefreshFooter>, std::shared_ptr<RFRefreshFooter>>;
RFHeaderObservers& rf_headerObservers(platform::ScrollView& scrollView);
RFFooterObservers& rf_footerObservers(platform::ScrollView& scrollView);
// Second names for the same two.
std::shared_ptr<RFRefreshHeader> header(platform::ScrollView& scrollView);
void setHeader(platform::ScrollView& scrollView, const std::shared_ptr<RFRefreshHeader>& header);
std::shared_ptr<RFRefreshFooter> footer(platform::ScrollView& scrollView);
void setFooter(platform::ScrollView& scrollView, const std::shared_ptr<RFRefreshFooter>& footer);

// Rows over every section of a table, items of a collection; 0 for other scroll views.
long rf_totalDataCount(platform::ScrollView& scrollView);

// Called with rf_totalDataCount after every reloadData of the table or collection view.
using RFReloadDataBlock = std::function<void(long totalDataCount)>;
RFReloadDataBlock rf_reloadDataBlock(platform::ScrollView& scrollView);
void setRf_reloadDataBlock(platform::ScrollView& scrollView, RFReloadDataBlock block);
void executeReloadDataBlock(platform::ScrollView& scrollView);

}  // namespace sprout
