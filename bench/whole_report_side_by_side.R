# The statistics of the evaluation report computed in R, section by section,
# on the same data as KVE: the R side of the whole-report timing.
#
#   Rscript bench/whole_report_side_by_side.R <data> [<sections>] [<repeats>]
#
# <data> is a dataset file as KVE saves it (.KVE; the rows an evaluation
# uses are kept: X not empty, exclusion mark not beginning with "Y", "y" or
# "0") or a CSV file with the columns x, sdx, y, sdy. <sections> is a comma-
# separated list of the names below ("all": every one but gccc, the default;
# "all,gccc" adds it),
# <repeats> how often each section runs (the mean is printed).
#
# Printed, one line per section:
#   section=<name> elapsed_ms=<milliseconds per run>
#   section=<name> left_out=<why>
# and at the end "elapsed_ms=<sum over the sections that ran>". The times are
# those of the computations alone: reading the data and loading the
# packages are left out. The sections that write long tables (weighed
# deviance, deviation, residual) format them with sprintf and write them to
# a file, as KVE writes its report.
#
# Where R has no routine of its own the script does the same arithmetic in
# vectorised R. What R cannot do is said in the output, not hidden:
# - shapiro.test takes at most 5000 values: above that the Shapiro-Wilk W
#   of a section is left out and the section's time holds the rest;
# - Kendall's tau by cor.test counts all pairs: above 20,000 rows it would
#   not finish in ten minutes, and the rank section leaves it out;
# - a section that takes longer than `limit_s` seconds (ten minutes) is
#   stopped and reported as left out.
suppressPackageStartupMessages({
  library(nortest)
  library(robustbase)
  library(epiR)
})

args <- commandArgs(trailingOnly = TRUE)
path <- args[1]
wanted <- if (length(args) >= 2) args[2] else "all"
repeats <- if (length(args) >= 3) as.integer(args[3]) else 1
limit_s <- 600

read_data <- function(path) {
  if (grepl("\\.csv$", path, ignore.case = TRUE)) {
    d <- read.csv(path)
    return(list(x = d$x, sdx = d$sdx, y = d$y, sdy = d$sdy))
  }
  lines <- readLines(path, warn = FALSE)
  start <- match("DATA:", lines)
  rows <- as.integer(sub("^N=", "", lines[grep("^N=", lines)[1]]))
  d <- read.csv(text = lines[(start + 1):(start + rows)], header = FALSE, colClasses = "character",
                col.names = c("x", "sdx", "y", "sdy", "rx", "ry", "ex"))
  mark <- substr(d$ex, 1, 1)
  d <- d[d$x != "" & !(mark %in% c("Y", "y", "0")), ]
  num <- function(v) { v <- suppressWarnings(as.numeric(v)); v[is.na(v)] <- 0; v }
  list(x = num(d$x), sdx = num(d$sdx), y = num(d$y), sdy = num(d$sdy))
}

d <- read_data(path)
x <- d$x; y <- d$y; sdx <- d$sdx; sdy <- d$sdy
n <- length(x)
sink_file <- tempfile(fileext = ".txt")
f10 <- function(v) sprintf("%10.5f", v)
cell <- function(v) sprintf("%9.4f ", v)
sw <- function(v) if (length(v) <= 5000) shapiro.test(v)
edf <- function(v) { lillie.test(v); cvm.test(v); ad.test(v) }
write_text <- function(lines) writeLines(lines, sink_file, sep = "\r\n")
# A kernel summed over all ordered pairs, in blocks of rows to bound the
# memory (the generalized concordance coefficients).
pairSums <- function(x, y, g) {
  block <- 1000; total <- 0
  for (s in seq(1, n, by = block)) {
    i <- s:min(n, s + block - 1)
    total <- total + sum(g(outer(x[i], y, "-"))) - sum(g(outer(x[i], y, "+")))
  }
  total
}

# The regression report: least squares, parameter tests, the six OLS and
# symmetrical lines (Isobe et al., 1990).
regression <- function() {
  fit <- lm(y ~ x); s <- summary(fit); e <- residuals(fit)
  r <- cor(x, y)
  rr2 <- 1 - (median(abs(e)) / median(abs(y - mean(y))))^2
  a1 <- anova(lm(y ~ 0 + offset(x)), fit)
  mx <- mean(x); my <- mean(y); dx <- x - mx; dy <- y - my
  Sxx <- sum(dx^2); Syy <- sum(dy^2); Sxy <- sum(dx * dy)
  b1 <- Sxy / Sxx; b2 <- Syy / Sxy; sgn <- sign(Sxy)
  b3 <- (b1 * b2 - 1 + sqrt((1 + b1^2) * (1 + b2^2))) / (b1 + b2)
  dd <- b2 - 1 / b1; b4 <- 0.5 * (dd + sgn * sqrt(4 + dd^2))
  r1 <- dy - b1 * dx; r2 <- dy - b2 * dx
  v1 <- sum((dx * r1)^2) / Sxx^2; v2 <- sum((dy * r2)^2) / Sxy^2
  f10(c(coef(fit), s$coefficients[, 2], r, rr2, a1$F[2], b3, b4, v1, v2))
}

sections <- list(
  distribution = function() { for (v in list(x, y)) { sw(v); edf(v) } },
  moments = function() {
    for (v in list(x, y)) {
      m <- mean(v); dv <- v - m
      f10(c(mean(abs(dv)), median(v), var(v), mean(dv^3), mean(dv^4), range(v)))
    }
    f10(c(mean(x - y), var(x - y), cov(x, y)))
  },
  robust = function() f10(c(Sn(x), Qn(x), Sn(y), Qn(y))),
  diverse = function() {
    var.test(y, x); t.test(y, x, var.equal = TRUE); t.test(y, x); t.test(y, x, paired = TRUE)
    f10(c(mean(y - x), mean(abs(y - x)), 1 - sum((y - x)^2) / sum((y - mean(y))^2), max(abs(y - x))))
  },
  index = function() {
    ratio <- ifelse(y != 0, x / y, 0)
    f10(c(mean(ratio), sd(ratio), t.test(ratio)$p.value, t.test(ratio, mu = 1)$p.value))
  },
  concordance = function() { epi.ccc(x, y, ci = "asymptotic"); epi.ccc(x, y, ci = "z-transform") },
  rank = function() {
    suppressWarnings(cor.test(x, y, method = "spearman", exact = FALSE))
    if (n <= 20000) suppressWarnings(cor.test(x, y, method = "kendall", exact = FALSE))
    suppressWarnings(ks.test(x, y, exact = FALSE)); wilcox.test(y, x, exact = FALSE)
    rank(x); rank(y)
  },
  balance = function() {
    over <- x > y
    for (split in list(x > mean(x), y > mean(y))) {
      tab <- table(factor(over, c(TRUE, FALSE)), factor(split, c(FALSE, TRUE)))
      suppressWarnings(chisq.test(tab, correct = FALSE)); chisq.test(as.vector(tab), p = rep(0.25, 4))
    }
  },
  orthogonal_balance = function() {
    over <- x > y; b <- coef(lm(y ~ x))[2]
    for (split in list((x - mean(x)) + (y - mean(y)) > 0, (x - mean(x)) + b * (y - mean(y)) > 0)) {
      tab <- table(factor(over, c(TRUE, FALSE)), factor(split, c(FALSE, TRUE)))
      suppressWarnings(chisq.test(tab, correct = FALSE))
    }
  },
  msep = function() {
    r <- cor(x, y)
    f10(c(mean((x - y)^2), (mean(x) - mean(y))^2, (sd(x) - sd(y))^2, 2 * sd(x) * sd(y) * (1 - r)))
  },
  msep_bootstrap = function() {
    # Each point joins a sub-sample with probability 20 %, as KVE draws them.
    boot <- vapply(1:200, function(k) { i <- which(runif(n) <= 0.2); mean((x[i] - y[i])^2) }, 0)
    f10(c(mean(boot), var(boot)))
  },
  kleijnen = function() { dxy <- x - y; s <- summary(lm(dxy ~ I(x + y))); t.test(y, x, paired = TRUE); var.test(y, x); s },
  bland_altman = function() { dxy <- x - y; summary(lm(dxy ~ I((x + y) / 2))) },
  threshold = function() {
    rx <- rank(x); ry <- rank(y)
    c(table(rx <= 12, ry <= 12), table(x <= 6, y <= 6))
  },
  distance = function() {
    dxy <- x - y
    f10(c(sqrt(sum(dxy^2)), sapply(1:7, function(m) sum(abs(dxy)^m)^(1 / m)), sum(abs(dxy) / abs(x + y)),
          1 - 2 * sum(pmin(x, y)) / sum(x + y), sum(x * log(x / y))))
  },
  weighed_deviance = function() {
    wt <- (x - y)^2 / pmax(abs(y), 1e-12)
    write_text(c("   X          Y         WtDev     ", sprintf("%10.3f%10.3f%15.10f", x, y, wt)))
  },
  deviation = function() {
    dxy <- x - y; fd <- lm(dxy ~ x); summary(fd)
    t.test(dxy)
    qchisq(c(0.05, 0.95, 0.025, 0.975), n); qchisq(c(0.05, 0.95), n - 1); qchisq(c(0.025, 0.975), n - 2)
    sw(dxy); edf(dxy)
    ci <- predict(fd, interval = "confidence", se.fit = TRUE)
    pi <- suppressWarnings(predict(fd, interval = "prediction"))
    write_text(paste0(sprintf("%10.4f %10.4f %10.4f %8.4f %8.4f %9.4f %9.4f ", x, dxy, ci$fit[, 1], dxy - ci$fit[, 1],
                              ci$se.fit, ci$fit[, 2], ci$fit[, 3]),
                      ifelse(ci$fit[, 2] > 0 | ci$fit[, 3] < 0, "   *     ", "         "),
                      sprintf("%8.4f %9.4f %9.4f ", sqrt(ci$se.fit^2 + sum(residuals(fd)^2) / (n - 2)), pi[, 2], pi[, 3]),
                      ifelse(pi[, 2] > 0 | pi[, 3] < 0, "   *", "    ")))
  },
  gccc = function() {
    for (g in list(function(u) u^2, function(u) abs(u), function(u) abs(u)^1.5)) pairSums(x, y, g)
    # The winsorized and Huber variants on clipped data.
    q <- quantile(c(x, y), c(0.05, 0.95)); xc <- pmin(pmax(x, q[1]), q[2]); yc <- pmin(pmax(y, q[1]), q[2])
    for (g in list(function(u) u^2, function(u) abs(u), function(u) abs(u)^1.5,
                   function(u) ifelse(abs(u) <= 1.345, u^2 / 2, 1.345 * abs(u) - 1.345^2 / 2)))
      pairSums(xc, yc, g)
  },
  residual = function() {
    # The per-point table with its marks, three normality tests, the residue
    # regression.
    fit <- lm(y ~ x); e <- residuals(fit); dxy <- x - y
    h <- hatvalues(fit); mse <- sum(e^2) / (n - 2)
    rs <- rstandard(fit); rt <- rstudent(fit); ck <- cooks.distance(fit); dff <- dffits(fit)
    nr <- sqrt(mse) * qnorm((rank(e) - 0.375) / (n + 0.25))
    lim <- qnorm(0.95) * sqrt(var(y) / n)
    write_text(paste0(sprintf("%7d ", seq_len(n)), cell(x), cell(y),
                      sprintf("%9.4f", dxy), ifelse(abs(dxy) > lim, "*", " "), cell(fitted(fit)),
                      sprintf("%9.4f", e), ifelse(abs(e) > 0.1 * mean(y), "*", " "),
                      cell(sqrt(mse * (1 - h))), cell(rs),
                      sprintf("%9.4f", rt), ifelse(abs(rt) > 2.5, "*", " "),
                      sprintf("%9.4f", h), ifelse(h >= 4 / n, "*", " "),
                      sprintf("%9.4f", ck), ifelse(pf(ck, 2, n - 2) > 0.5, "*", " "),
                      sprintf("%9.4f", dff), ifelse(abs(dff) >= 2 * sqrt(2 / n), "*", " "), cell(nr)))
    for (v in list(e, rs, rt)) sw(v)
    summary(lm(e ~ fitted(fit)))
  }
)

names_all <- c("regression", setdiff(names(sections), "gccc"))
chosen <- unlist(lapply(strsplit(wanted, ",")[[1]], function(w) if (w == "all") names_all else w))
notes <- list(distribution = "Shapiro-Wilk W left out above 5000 rows (shapiro.test refuses them)",
              deviation = "Shapiro-Wilk W left out above 5000 rows (shapiro.test refuses them)",
              residual = "Shapiro-Wilk W left out above 5000 rows (shapiro.test refuses them)",
              rank = "Kendall's tau left out above 20,000 rows (cor.test counts all pairs)")
total <- 0
for (name in chosen) {
  f <- if (name == "regression") regression else sections[[name]]
  if (is.null(f)) {
    cat(sprintf("section=%s left_out=no R counterpart\n", name))
    next
  }
  set.seed(20261211)
  elapsed <- tryCatch({
    setTimeLimit(elapsed = limit_s, transient = TRUE)
    t <- system.time(for (k in seq_len(repeats)) f())[["elapsed"]]
    setTimeLimit(elapsed = Inf)
    1000 * t / repeats
  }, error = function(e) { setTimeLimit(elapsed = Inf); NA })
  if (is.na(elapsed)) {
    cat(sprintf("section=%s left_out=did not finish in %d s\n", name, limit_s))
    next
  }
  total <- total + elapsed
  note <- notes[[name]]
  partial <- !is.null(note) && ((name == "rank" && n > 20000) || (name != "rank" && n > 5000))
  cat(sprintf("section=%s elapsed_ms=%.3f%s\n", name, elapsed, if (partial) paste0(" note=", note) else ""))
}
unlink(sink_file)
cat(sprintf("elapsed_ms=%.3f\n", total))
