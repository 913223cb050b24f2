#pragma once

#include <memory>
#include <vector>

#include "api/api_description_abi.h"
#include "api/function_table.h"
#include "binding/description_lists.h"

namespace kel {

// The ApiDescription handed to the core and every record, array and text it
// points to. Built once, at the end of the entry sequence, after the last
// registration; it then never changes and lives as long as the plug-in
// object. Texts point into the function records, which live as long.
class ApiDescriptionBlock {
 public:
  ApiDescriptionBlock() = default;
  ApiDescriptionBlock(const ApiDescriptionBlock&) = delete;
  ApiDescriptionBlock& operator=(const ApiDescriptionBlock&) = delete;

  // One descriptor per function, in registration order, each with the
  // invoke entry and its invoke context, and the type and event lists of
  // the functions' registry. Called once.
  void Build(const FunctionTable& functions);

  const ApiDescription& Description() const { return description_; }

 private:
  struct FunctionParts {
    std::vector<ArgumentRecord> arguments;
    std::vector<ParameterEntry> parameters;
    std::vector<const char*> tags;
    std::vector<std::vector<const char*>> texts;
    std::vector<TextListEntry> text_lists;
  };

  void DescribeFunction(const FunctionRecord& function, FunctionParts& parts, FunctionDescriptionRecord& record);

  std::unique_ptr<BindingDescriptionLists> lists_;
  std::vector<InvokeContext> contexts_;
  std::vector<FunctionParts> parts_;
  std::vector<FunctionDescriptionRecord> records_;
  std::vector<FunctionDescriptor> descriptors_;
  ApiDescription description_ = {};
};

}  // namespace kel
