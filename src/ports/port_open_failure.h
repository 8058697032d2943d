#pragma once

#include <optional>
#include <string>

#include "platform/port_map.h"
#include "platform/sys_result.h"

// Why the last Open of a port failed, for the user at a terminal: the device node tried
// (empty when the port name leads to none) and the system call that failed, or, when the
// system had nothing against the open, the condition the port refused.
struct PortOpenFailure {
  std::string node;
  platform::SysStatus status = platform::OkStatus();
  const char* condition = nullptr;

  bool Known() const { return !status.ok() || condition != nullptr; }
};

// "<node>: <the system's error text>", and for a refused permission a hint naming the
// node's group ("add the user to group dialout"). Empty when nothing is known.
std::string DescribeOpenFailure(const std::string& node, const platform::SysStatus& status);
std::string DescribePortOpenFailure(const PortOpenFailure& failure);

// The node a COM or LPT port name leads to; `failure` starts afresh and names the node, or
// says that the name leads to none.
std::optional<platform::PortNode> ResolvePortNode(const platform::PortMap& map,
                                                  const std::string& portName,
                                                  PortOpenFailure& failure);
