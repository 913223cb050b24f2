#include "champions/rental_notification.h"

#include <utility>

namespace kel::champions {

PlayerNotification RentalExpiredNotification(std::string expiredContentName) {
  PlayerNotification notification;
  notification.backgroundUrl = "";
  notification.critical = false;
  notification.data.emplace("expiredContentName", std::move(expiredContentName));
  notification.detailKey = "rental_expired_detail";
  notification.iconUrl = "fe/kel-player-notifications/images/notifications_button_icon.png";
  notification.source = "rentals";
  notification.state = "toast";
  notification.titleKey = "rental_expired_title";
  notification.type = "game";
  return notification;
}

}  // namespace kel::champions
