// Every object of the clone keeps its owner. The source's objects that belong
// to another user than the one cloning are created in that user's name:
// through this process's own engine (a local destination), which takes a
// user name without a password, the owner gets the RDB$ADMIN role for as long
// as his objects are being made, and the plan nodes that create them run
// through an attachment in his name (one per owner, opened when first
// needed; each node commits its own statements). A server wants the owner's
// password, which the job does not have: there the cloning user creates the
// objects and gives their owner every right on them with grant option, with
// one note line per owner saying so.
#pragma once

#include "db/db_connection.h"
#include "frames/frame_host.h"
#include "schema/schema_plan.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace dravik::engine {

class ObjectOwners {
public:
    // Reads the owners of the source's objects; actAsOwners: the destination
    // lets the job attach in an owner's name without a password.
    ObjectOwners(frames::FrameHost& log, db::DbConnection& source, db::DbConnection& destination, bool actAsOwners);
    ~ObjectOwners();
    ObjectOwners(const ObjectOwners&) = delete;
    ObjectOwners& operator=(const ObjectOwners&) = delete;

    // Runs a plan node, in its object owner's name where that is another user.
    void Run(const schema::PlanNode& node);
    // Does the node make an object of another user than the cloning one (it
    // may run through another attachment, which commits the destination's
    // transaction first).
    bool OwnedByAnother(const schema::PlanNode& node) const { return owned_.count(node.key) != 0; }
    // Runs what makes an object of that owner in his name where the
    // destination allows; else as the cloning user, and Finish gives the
    // owner his rights with that grant (none when empty).
    void RunAs(const std::string& owner, const std::function<void()>& run, const std::string& grant = {});
    // Closes the owners' attachments and takes their role back; where the
    // job could not act in an owner's name, grants him his rights instead.
    // Objects made afterwards open their owners' attachments again.
    void Finish();

private:
    struct Owned {
        std::string owner;
        std::string grant;  // the statement giving the owner every right on the object; empty: none can
    };
    // The attachment in that owner's name, or null when the destination refuses it.
    db::DbConnection* AttachmentOf(const std::string& owner);
    void GrantToOwners();
    void TakeRolesBack();

    frames::FrameHost& log_;
    db::DbConnection& destination_;
    bool actAsOwners_;
    std::string cloningUser_;
    std::map<std::string, Owned> owned_;  // by plan node key: the objects of another user than the cloning one
    std::map<std::string, std::unique_ptr<db::DbConnection>> attachments_;  // by owner; null: refused
    std::vector<std::string> roleGiven_;  // the owners given RDB$ADMIN, to take it back
    // By owner, one grant (maybe empty) per object the job's user made for him.
    std::map<std::string, std::vector<std::string>> createdForOwner_;
};

}  // namespace dravik::engine
