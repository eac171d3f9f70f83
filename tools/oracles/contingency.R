# Reference values for the contingency table: chisq.test(correct = FALSE) on
# the table without its empty rows and columns (statistic, degrees of
# freedom, upper tail), Cramer's V = sqrt(chisq / (N (min(r, c) - 1))) and
# the contingency coefficient sqrt(chisq / (chisq + N)). With a proportion
# p > 0 every cell expects p N: chisq.test(cells, p = rep(p, cells)) gives
# the statistic; the degrees of freedom stay those of the used rows and
# columns, and the tail is pchisq of it.
# Run from the repository root:  Rscript tools/oracles/contingency.R
source("tools/oracles/common.R")
set.seed(20261211)

con <- file(out_path("contingency_cases.inc"), "w")
header(con, "contingency.R")
writeLines("struct ContingencyCase {\n    const char* name;\n    int rows, cols;\n    std::vector<int> counts; // row by row\n    double Prop;\n    double chisq, df, prob, cramerV, ccc;\n};", con)
writeLines("const ContingencyCase kContingencyCases[] = {", con)

emit <- function(name, m, prop = 0) {
  used <- m[rowSums(m) > 0, colSums(m) > 0, drop = FALSE]
  N <- sum(m)
  df <- (nrow(used) - 1) * (ncol(used) - 1)
  if (prop > 0) {
    chisq <- unname(suppressWarnings(chisq.test(as.vector(m), p = rep(prop, length(m))))$statistic)
    prob <- pchisq(chisq, df, lower.tail = FALSE)
  } else {
    ct <- suppressWarnings(chisq.test(used, correct = FALSE))
    chisq <- unname(ct$statistic)
    stopifnot(ct$parameter == df)
    prob <- ct$p.value
  }
  k <- min(nrow(used), ncol(used)) - 1
  writeLines(sprintf("    {\"%s\", %d, %d, {%s}, %s, %s},", name, nrow(m), ncol(m), paste(sprintf("%d", as.integer(as.vector(t(m)))), collapse = ", "),
                     num(prop), paste(num(c(chisq, df, prob, sqrt(chisq / (N * k)), sqrt(chisq / (chisq + N)))), collapse = ", ")), con)
}
emit("2 x 2", matrix(c(10, 20, 30, 40), 2, byrow = TRUE))
emit("2 x 2 equal proportions", matrix(c(10, 20, 30, 40), 2, byrow = TRUE), 0.25)
emit("3 x 3 with an empty row", matrix(c(5, 9, 2, 0, 0, 0, 7, 1, 12), 3, byrow = TRUE))
emit("4 x 5 with an empty column", { m <- matrix(rpois(20, 6), 4); m[, 3] <- 0; m })
emit("strong association", matrix(c(50, 2, 1, 3, 45, 4, 0, 5, 60), 3, byrow = TRUE))
emit("negative association", matrix(c(2, 48, 47, 3), 2, byrow = TRUE))
emit("large counts", matrix(c(1e6, 2e6 + 17, 3e6 - 5, 4e6), 2, byrow = TRUE))
emit("120 x 3", matrix(rpois(360, 4) + 1, 120))
writeLines("};", con)
close(con)
