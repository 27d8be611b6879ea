#pragma once
// The demo's stand-in site fixture (site/fixtures/demo.json): its hand-written
// part (site/fixtures/demo-base.json: the accounts, and the buyers and
// listings written by hand) with the demo database's buyers added as members
// and its sales as listings of the base's first account, each in the state
// the sale is in. `mkdemo --site-fixture` writes it; the demo database and
// the fixture come from the one list of DemoData.

#include "DemoData.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>

class DemoSiteFixture {
public:
    // The buyers as members: member name, number and own name.
    static QJsonArray Buyers(const DemoDataOptions& options);
    // One listing a sale, of the seller: a running sale a current listing, a
    // sold one a sale (soldType, price, buyer, delivery address) with its
    // other bidders, an unsold one an unsold listing with its watchers.
    // Times count from the start of the day ("fromMidnight"), as the
    // database's count from the day it was made.
    static QJsonArray Listings(const DemoDataOptions& options, const QString& seller);
    // The base with the buyers and listings added after its own.
    static QJsonObject Fixture(const QJsonObject& base, const DemoDataOptions& options);
    // The fixture as the file holds it: each entry of a top-level list on a
    // line of its own, so a change of the data shows as changed lines.
    static QByteArray Text(const QJsonObject& fixture);
};
