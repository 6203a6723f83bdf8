#!/usr/bin/env python3
"""Writes carnivals.tsv, the sample catalog of the local carnival directory.

Deterministic (fixed seed), so regenerating gives the same file. Columns: carnival ref, carnival
name, category ref, category name; one line per category, one line with empty category columns
for a carnival without categories.
"""
import random
import sys

random.seed(20240521)

TOPICS = [
    "Personal Finance", "Frugality", "Homeschooling", "Gardening", "Knitting", "Photography",
    "Parenting", "Small Business", "Real Estate", "Healthy Living", "Running", "Cycling",
    "Vegetarian Cooking", "Baking", "Home Brewing", "Travel", "Backpacking", "Astronomy",
    "Birdwatching", "History", "Genealogy", "Poetry", "Short Fiction", "Science Fiction",
    "Board Games", "Video Games", "Web Design", "Open Source", "Linux", "Programming",
    "Mathematics", "Chemistry", "Physics", "Education", "Teaching", "Careers", "Marketing",
    "Blogging Tips", "Social Media", "Investing", "Retirement", "Debt Reduction", "Green Living",
    "Crafts", "Quilting", "Scrapbooking", "Woodworking", "Dogs", "Cats", "Aquariums",
    "Horses", "Fishing", "Hiking", "Camping", "Faith", "Philosophy", "Law", "Politics",
    "Economics", "Medicine", "Nursing", "Mental Health", "Weight Loss", "Fitness", "Yoga",
    "Jazz", "Classical Music", "Film", "Television", "Comics", "Anime", "Fashion", "Beauty",
    "Weddings", "Home Decor", "Interior Design", "Architecture", "Urban Life", "Rural Life",
    "Wine", "Coffee", "Tea", "Chocolate", "Cheese", "Barbecue", "Food Allergies", "Autism",
    "Disability", "Elder Care", "Military Life", "Expat Life", "Language Learning",
    "Book Reviews", "Libraries", "Writing", "Freelancing", "Productivity", "Entrepreneurs",
]

PATTERNS = [
    "Carnival of {t}", "{t} Carnival", "The {t} Blog Carnival", "Festival of {t}",
    "{t} Roundup", "Best of {t}", "{t} Weekly", "{t} Link Party", "{t} Showcase",
    "{t} Tips & Tricks", "{t} News & Views", "Q&A: {t}", "{t} Bloggers Unite",
]

# Names that exercise escaping and letters outside ASCII.
FIXED = [
    "Café Society Carnival", "Über Geek Carnival", "Smørrebrød & Friends Food Carnival",
    "Crème Brûlée Baking Circle", "Fjällräven Trail Tales", "Señor Frugal's Money Fiesta",
    "Zürich Expat Carnival", "Ålesund Sailing Notes", "Naïve Investor Carnival",
    "Ärzte & Patienten Blog Karneval", "Česká Kuchyně Carnival", "Ελληνική Φιλοσοφία Carnival",
    "Русская Литература Carnival", "日本語学習カーニバル", "中文博客嘉年华", "한국 요리 카니발",
    "東京 Photo Walk Carnival", "Pokémon Trainers' Roundup", "Rock 'n' Roll <Live> Carnival",
    "Tom & Jerry \"Cartoon\" Carnival", "AT&T Users Carnival", "R&D Notes", "Mom & Pop Shops",
    "Salt & Light Faith Carnival", "Ben & Jerry's Ice Cream Fans", "100% Pure Fitness Carnival",
]

CATEGORY_WORDS = [
    "General", "Beginners", "Advanced", "News", "Reviews", "How-To", "Opinion", "Humor",
    "Interviews", "Photos", "Video", "Podcasts", "Recipes", "Tools", "Resources", "Events",
    "Stories", "Questions", "Guest Posts", "Editor's Pick", "Kids & Teens", "Budget",
    "Europe", "Asia", "Americas", "Africa", "Oceania", "Spring", "Summer", "Autumn", "Winter",
    "Health & Safety", "History", "Science", "Gear", "DIY", "Money", "Family", "Classics",
    "Café Corner", "Zubehör", "Nyheter", "初心者", "上級者", "Études", "Über uns",
]


def carnival_names(count):
    names = list(FIXED)
    seen = set(names)
    while len(names) < count:
        name = random.choice(PATTERNS).format(t=random.choice(TOPICS))
        if name not in seen:
            seen.add(name)
            names.append(name)
    names.sort(key=str.casefold)
    return names


def category_count():
    roll = random.random()
    if roll < 0.35:
        return 0
    if roll < 0.85:
        return random.randint(1, 5)
    if roll < 0.97:
        return random.randint(6, 12)
    return random.randint(20, 30)


def main():
    out = sys.stdout
    refs = random.sample(range(101, 99999), 320)
    category_refs = iter(random.sample(range(1, 999999), 5000))
    out.write("# ref\tname\tcategory ref\tcategory name\n")
    for ref, name in zip(refs, carnival_names(len(refs))):
        n = category_count()
        if n == 0:
            out.write(f"{ref}\t{name}\t\t\n")
            continue
        words = random.sample(CATEGORY_WORDS, min(n, len(CATEGORY_WORDS)))
        for word in words:
            out.write(f"{ref}\t{name}\t{next(category_refs)}\t{word}\n")


if __name__ == "__main__":
    main()
