// Commands: the static table of every command (menu text, status-bar prompt and tooltip, icon,
// whether it shows a check mark), the targets that handle them, and the router that offers each
// command to its targets in order (the scope view first, then the main frame, then the
// application).
//
// Threads: user-interface thread only.
#pragma once

#include <QString>
#include <span>
#include <vector>

#include "ui/ToolIcons.h"

namespace tonavise::ui {

struct CommandInfo {
    int id = 0;
    const char* menuText = "";  // text in the main menu; "&" marks the access key
    const char* prompt = "";    // status-bar prompt, then "\n" and the tooltip
    ToolIcon icon = ToolIcon::kNone;
    bool checkable = false;  // has a check rule (shown as a pressed button on a toolbar)
};

// Every command of the menus, toolbars and the handlers without a menu, in id order.
std::span<const CommandInfo> CommandTable();
// The entry of `id`, or null.
const CommandInfo* FindCommand(int id);

// The status-bar prompt and the tooltip of a command, translated; empty when it has none.
QString CommandPrompt(const CommandInfo& info);
QString CommandToolTip(const CommandInfo& info);
QString CommandMenuText(const CommandInfo& info);

// The state a command's update rule gives it. A command that no target handles is disabled.
struct CommandState {
    bool enabled = true;
    bool checked = false;
};

class CommandTarget {
  public:
    virtual ~CommandTarget() = default;
    virtual bool HandlesCommand(int id) const = 0;
    // Applies the command's enable and check rule; only called for ids the target handles. A
    // rule that says nothing leaves the state enabled and unchecked.
    virtual void UpdateCommand(int id, CommandState& state) = 0;
    virtual void HandleCommand(int id) = 0;
};

class CommandRouter {
  public:
    // Targets are asked in the order added; they must outlive the router's use.
    void AddTarget(CommandTarget* target) { targets_.push_back(target); }

    CommandState State(int id) const;
    // Runs the command on the first target that handles it, if its rule enables it. A disabled
    // command does nothing, whichever way it arrives. True when it ran.
    bool Execute(int id) const;

  private:
    CommandTarget* TargetFor(int id) const;
    std::vector<CommandTarget*> targets_;
};

}  // namespace tonavise::ui
