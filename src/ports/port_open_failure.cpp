#include "ports/port_open_failure.h"

#include <cerrno>
#include <cstring>

#include "platform/node_group.h"

std::string DescribeOpenFailure(const std::string& node, const platform::SysStatus& status) {
  if (status.ok()) return std::string();
  std::string text = node.empty() ? std::string() : node + ": ";
  // The open itself needs no naming; a later call on the node (locking it, reading its
  // settings) does, or its error text would read as if the node were not there.
  if (std::strcmp(status.call(), "open") != 0) text += std::string(status.call()) + ": ";
  text += platform::ErrorText(status.error());
  switch (status.error()) {
    case EACCES:
    case EPERM:
      if (auto group = platform::NodeGroup(node)) {
        text += "; add the user to group " + *group + " (and log in again)";
      }
      break;
    case EBUSY:
    case EWOULDBLOCK:
      text += "; another program holds the port";
      break;
    case ENOTTY:
    case EINVAL:
    case ENOTSUP:
      // A line that has no modem status (a pseudo-terminal, an adapter without DSR).
      if (std::strstr(status.call(), "TIOCM") != nullptr ||
          std::strstr(status.call(), "ModemStatus") != nullptr) {
        text += "; a line without modem status is named as NODE,nomodem in QLX_COMn";
      }
      break;
    default:
      break;
  }
  return text;
}

std::string DescribePortOpenFailure(const PortOpenFailure& failure) {
  if (!failure.status.ok()) return DescribeOpenFailure(failure.node, failure.status);
  if (failure.condition == nullptr) return std::string();
  return failure.node.empty() ? failure.condition : failure.node + ": " + failure.condition;
}

std::optional<platform::PortNode> ResolvePortNode(const platform::PortMap& map,
                                                  const std::string& portName,
                                                  PortOpenFailure& failure) {
  failure = PortOpenFailure{};
  auto node = map.Resolve(portName);
  if (node) {
    failure.node = node->devicePath;
  } else {
    failure.condition = "no device node for this port name";
  }
  return node;
}
