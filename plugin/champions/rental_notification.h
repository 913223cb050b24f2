#pragma once
// The toast the player sees when a rental has ended.

#include <string>

#include "champions/session_records.h"

namespace kel::champions {

inline constexpr const char* kPlayerNotificationsUrl = "/player-notifications/v1/notifications";

// Names the expired item; the name is empty when the item is not in the
// inventory. The id is left 0: the notification plug-in assigns its own.
PlayerNotification RentalExpiredNotification(std::string expiredContentName);

}  // namespace kel::champions
