#include "schema/schema_plan.h"

#include "schema/node_keys.h"
#include "schema/node_kinds.h"

#include <algorithm>
#include <map>
#include <queue>
#include <tuple>
#include <unordered_map>

namespace dravik::schema {

namespace {

// The strongly connected components of a graph given by each vertex's edges
// (Tarjan's algorithm, without recursion: a chain of thousands of views must
// not exhaust the stack): the component of each vertex.
std::vector<size_t> Components(const std::vector<std::vector<size_t>>& edges) {
    constexpr size_t kUnseen = static_cast<size_t>(-1);
    const size_t n = edges.size();
    std::vector<size_t> index(n, kUnseen), low(n, 0), component(n, kUnseen);
    std::vector<bool> onStack(n, false);
    std::vector<size_t> stack;
    std::vector<std::pair<size_t, size_t>> calls;  // vertex, next edge to follow
    size_t counter = 0, components = 0;
    for (size_t root = 0; root < n; ++root) {
        if (index[root] != kUnseen) continue;
        calls.emplace_back(root, 0);
        while (!calls.empty()) {
            auto& [v, next] = calls.back();
            if (next == 0 && index[v] == kUnseen) {
                index[v] = low[v] = counter++;
                stack.push_back(v);
                onStack[v] = true;
            }
            if (next < edges[v].size()) {
                const size_t w = edges[v][next++];
                if (index[w] == kUnseen)
                    calls.emplace_back(w, 0);
                else if (onStack[w])
                    low[v] = std::min(low[v], index[w]);
                continue;
            }
            if (low[v] == index[v]) {
                size_t w;
                do {
                    w = stack.back();
                    stack.pop_back();
                    onStack[w] = false;
                    component[w] = components;
                } while (w != v);
                ++components;
            }
            const size_t done = v;
            calls.pop_back();
            if (!calls.empty()) low[calls.back().first] = std::min(low[calls.back().first], low[done]);
        }
    }
    return component;
}

}  // namespace

void SchemaPlan::Add(PlanNode node) {
    nodes_.push_back(std::move(node));
    settled_ = false;
}

void SchemaPlan::SeparateBodiesWhereNeeded() {
    settled_ = true;
    std::unordered_map<std::string, size_t> byKey;
    for (size_t i = 0; i < nodes_.size(); ++i) byKey.emplace(nodes_[i].key, i);
    auto before = [&](size_t i) { return nodes_[i].phase == Phase::BeforeData; };
    std::vector<std::vector<size_t>> edges(nodes_.size());
    for (size_t i = 0; i < nodes_.size(); ++i) {
        if (!before(i)) continue;
        for (const std::string& dep : nodes_[i].dependsOn)
            if (auto it = byKey.find(dep); it != byKey.end() && it->second != i && before(it->second))
                edges[i].push_back(it->second);
    }
    const std::vector<size_t> component = Components(edges);
    std::vector<size_t> members(nodes_.size(), 0);
    for (size_t c : component) ++members[c];

    const std::string indexKey = key::Index("");
    std::vector<PlanNode> bodies;
    for (size_t i = 0; i < nodes_.size(); ++i) {
        PlanNode& node = nodes_[i];
        if (!node.separable || !before(i)) continue;
        const bool onCycle = members[component[i]] > 1;
        // Indices are made after the rows, those of keys under other names.
        const bool readsLater = std::any_of(node.dependsOn.begin(), node.dependsOn.end(), [&](const std::string& dep) {
            auto it = byKey.find(dep);
            return dep.rfind(indexKey, 0) == 0 || (it != byKey.end() && !before(it->second));
        });
        if (!onCycle && !readsLater) continue;
        const std::shared_ptr<const SeparableBody> parts = std::move(node.separable);
        node.dependsOn = parts->stubNeeds;
        node.run = parts->stub;
        bodies.push_back(Node(NodeKind::RoutineBody, key::Body(node.key), {node.key}, parts->body));
    }
    for (PlanNode& body : bodies) nodes_.push_back(std::move(body));
}

const PlanNode* SchemaPlan::Find(const std::string& key) const {
    for (const PlanNode& n : nodes_)
        if (n.key == key) return &n;
    return nullptr;
}

std::vector<const PlanNode*> SchemaPlan::Ordered(Phase phase) {
    if (!settled_) SeparateBodiesWhereNeeded();
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
