#include "schema/schema_plan.h"

#include <map>
#include <queue>
#include <tuple>
#include <unordered_map>

namespace dravik::schema {

void SchemaPlan::Add(PlanNode node) { nodes_.push_back(std::move(node)); }

const PlanNode* SchemaPlan::Find(const std::string& key) const {
    for (const PlanNode& n : nodes_)
        if (n.key == key) return &n;
    return nullptr;
}

std::vector<const PlanNode*> SchemaPlan::Ordered(Phase phase) const {
    std::vector<size_t> members;
    std::unordered_map<std::string, size_t> byKey;  // key -> index into members
    for (size_t i = 0; i < nodes_.size(); ++i) {
        if (nodes_[i].phase != phase) continue;
        byKey.emplace(nodes_[i].key, members.size());
        members.push_back(i);
    }
    // Kahn's algorithm; the ready node with the lowest (rank, insertion) runs next.
    std::vector<int> waitingFor(members.size(), 0);
    std::vector<std::vector<size_t>> unlocks(members.size());
    for (size_t m = 0; m < members.size(); ++m) {
        for (const std::string& dep : nodes_[members[m]].dependsOn) {
            auto it = byKey.find(dep);
            if (it == byKey.end() || it->second == m) continue;
            ++waitingFor[m];
            unlocks[it->second].push_back(m);
        }
    }
    using Entry = std::tuple<int, size_t>;  // rank, member
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> ready;
    for (size_t m = 0; m < members.size(); ++m)
        if (waitingFor[m] == 0) ready.emplace(nodes_[members[m]].rank, m);

    std::vector<const PlanNode*> order;
    std::vector<bool> done(members.size(), false);
    while (order.size() < members.size()) {
        if (ready.empty()) {
            // A cycle: release the earliest node still waiting.
            std::tuple<int, size_t> best{0, members.size()};
            for (size_t m = 0; m < members.size(); ++m)
                if (!done[m] && (std::get<1>(best) == members.size() ||
                                 Entry{nodes_[members[m]].rank, m} < best))
                    best = {nodes_[members[m]].rank, m};
            waitingFor[std::get<1>(best)] = 0;
            ready.push(best);
        }
        const size_t m = std::get<1>(ready.top());
        ready.pop();
        if (done[m]) continue;
        done[m] = true;
        order.push_back(&nodes_[members[m]]);
        for (size_t next : unlocks[m])
            if (!done[next] && --waitingFor[next] == 0) ready.emplace(nodes_[members[next]].rank, next);
    }
    return order;
}

}  // namespace dravik::schema
