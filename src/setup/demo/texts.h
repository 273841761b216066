// Small texts of requests and trips: contacts' surnames, purposes, comments.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "setup/demo/customers.h"
#include "setup/demo/destinations.h"

namespace ravadid::demo {

std::span<const char* const> surnames();

// What a trip is for, by its category and the kind of place it goes to.
std::vector<const char*> purposes(std::string_view category, Kind kind, Place place);

std::span<const char* const> tripComments();

// What an approver of the role writes when approving or denying.
std::vector<const char*> approvalComments(std::string_view role);
std::vector<const char*> denialComments(std::string_view role);

}  // namespace ravadid::demo
