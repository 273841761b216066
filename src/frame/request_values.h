// The customer, destination and billing values that the record loaders leave on the
// application object for the rest of the request (form tags, save, printable request).
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace ravadid {

// A customer's defaults. A default-constructed value holds what getcust sets before it reads
// the customer, so a code not on file leaves exactly these.
struct CustomerValues {
  std::string name = "Not Found";
  int16_t billRate = 0;  // not reset by getcust: an unknown customer keeps the previous rate
  std::string specialInstructions = " ";
  std::string defaultCapacity = "Medium";
  std::string invoiceFormat = "PLX_INVOICE";
  std::string defaultChain;  // trimmed; empty when the customer has no default chain
  std::string division = " ";
  std::string requestorEmail;
};

// A destination as getdest leaves it (its special instructions are getdest's result).
struct DestinationValues {
  std::string description;
  float miles = 0;
  std::string address1;
  std::string address2;
};

// The five billing amounts of a bill rate; amount k is index k - 1.
struct BillingValues {
  std::array<float, 5> amounts{};
  std::array<std::string, 5> amountTexts{" ", " ", " ", " ", " "};
};

struct RequestValues {
  CustomerValues customer;
  DestinationValues destination;
  BillingValues billing;
  // The signed-in user's customer code, set by the request search; AddNewTRIPREQ bills the new
  // request to it.
  std::string userCustomer;
};

}  // namespace ravadid
